#include "chartsite.h"

#include "core/text/jconvert.h"
#include "core/text/sjistext.h"

namespace vorq::test {

namespace {

// Deterministic pseudo-random numbers from a seed (a date).
struct Rng {
    quint32 s;
    quint32 next() {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
    int pick(int n) { return int(next() % quint32(n)); }
};

const char *const kFamily[] = {"山田", "佐藤", "鈴木", "高橋", "田中",
                               "伊藤", "渡辺", "中村", "小林", "加藤"};
const char *const kGiven[] = {"太郎", "花子", "一郎", "美咲", "健太", "由美", "翔", "愛", "大輔", "真央"};
const char *const kBands[] = {"THE SAMPLES", "Ｂｌｕｅ Ｍｏｏｎ", "ｍｏｎｏ",  "Night Drive",
                              "さくらんぼ",  "ＰＩＮＫ ＣＡＴＳ", "Starlight", "かぜのおと"};
const char *const kWords[] = {"夏",         "恋",       "空",         "風",    "夜明け", "ラブ",
                              "ソング",     "ＬＯＶＥ", "Ｄｒｅａｍ", "未来",  "星",     "涙",
                              "ありがとう", "Forever",  "ＨＥＡＲＴ", "旅立ち"};

QByteArray sj(const char *utf8) { return sjis::fromUnicode(QString::fromUtf8(utf8)); }

}  // namespace

QByteArray chartPageSjis(const QDate &date, int songs) {
    Rng rng{quint32(date.toJulianDay() * 2654435761u) | 1u};
    const QByteArray ymd = date.toString(QStringLiteral("yyyy/MM/dd")).toLatin1();
    QByteArray page;
    page += "<HTML>\r\n<HEAD>\r\n<META http-equiv=\"Content-Type\" content=\"text/html\">\r\n";
    page += "<TITLE>VORQ COUNTDOWN " + ymd + "</TITLE>\r\n</HEAD>\r\n<BODY BGCOLOR=\"#FFFFFF\">\r\n";
    page += "<TABLE><TR><TD>" + sj("メニュー") + "</TD><TD>" + sj("ホーム") + "</TD></TR></TABLE>\r\n";
    page += "<H2>" + ymd + " " + sj("放送分 カウントダウン") + "</H2>\r\n";
    page += "<!-- / NO1 -->\r\n<P>" + sj("今週のランキングです。") + "</P>\r\n";
    page += "<TABLE BORDER=1 CELLPADDING=2>\r\n";
    page += "<TR><TD ALIGN=right>" + sj("順位") + "</TD><TD>" + sj("前回") + "</TD><TD>" + sj("曲名") +
            "</TD><TD>" + sj("アーティスト") + "</TD></TR>\r\n";
    for (int rank = 1; rank <= songs; ++rank) {
        QByteArray title = sj(kWords[rng.pick(16)]);
        if (rng.pick(2)) title += sj(kWords[rng.pick(16)]);
        if (rng.pick(4) == 0) title += sj("のうた");
        QByteArray artist;
        if (rng.pick(3) == 0)
            artist = sj(kBands[rng.pick(8)]);
        else
            artist = sj(kFamily[rng.pick(10)]) + sj(rng.pick(2) ? " " : "　") + sj(kGiven[rng.pick(10)]);
        const QByteArray mark = rng.pick(3) == 0 ? "<IMG SRC=\"new.gif\">" : "<IMG SRC=\"up.gif\">";
        page += "<TR>\r\n<TD ALIGN=right>" + QByteArray::number(rank) + ".</TD>\r\n<TD>" + mark +
                "</TD>\r\n<TD><A HREF=\"/vorq/song/" + QByteArray::number(rng.next() % 100000) + ".html\">" +
                title + "</A></TD>\r\n<TD>" + artist + "</TD>\r\n</TR>\r\n";
    }
    page += "</TABLE>\r\n<HR>\r\n<ADDRESS>VORQ</ADDRESS>\r\n</BODY>\r\n</HTML>\r\n";
    return page;
}

int weekEncoding(const QDate &date) {
    static const int kinds[] = {CodeSjis, CodeEuc, CodeJis};
    return kinds[(QDate(1995, 4, 8).daysTo(date) / 7) % 3];
}

QByteArray notFoundBody(const QByteArray &path) {
    return "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 2.0//EN\">\n<HTML><HEAD>\n<TITLE>404 Not "
           "Found</TITLE>\n"
           "</HEAD><BODY>\n<H1>Not Found</H1>\nThe requested URL " +
           path + " was not found on this server.<P>\n</BODY></HTML>\n";
}

ChartSite::ChartSite(Options options) : m_options(std::move(options)) {
    m_server.setHandler([this](const HttpRequest &request) {
        ScriptedReply reply;
        const int hit = ++m_hits[request.path];
        const QByteArray key = request.path.mid(20, 8);  // yyyymmdd of /vorq/cddb/countdownyyyymmdd-j.html
        const QDate date = QDate::fromString(QString::fromLatin1(key), QStringLiteral("yyyyMMdd"));
        if (m_options.failing.contains(date))
            reply.data = "HTTP/1.1 429 Too Many Requests\r\nRetry-After: 0\r\nContent-Length: 0\r\n\r\n";
        else if (m_options.flaky && hit == 1)
            reply.data = "HTTP/1.1 503 Service Unavailable\r\nRetry-After: 0\r\nContent-Length: 0\r\n\r\n";
        else
            reply.data = response(request.path);
        reply.delayMs = m_options.delayMs;
        return reply;
    });
}

bool ChartSite::start(quint16 port) {
    if (!m_options.tlsCert.isEmpty() && !m_server.useTls(m_options.tlsCert, m_options.tlsKey)) return false;
    return m_server.listen(port);
}

QByteArray ChartSite::baseUrl() const { return m_server.url(QByteArray()); }

QByteArray ChartSite::urlTemplate() const {
    return "\"" + baseUrl() + "/vorq/cddb/countdown\"yyyymmdd\"-j.html\"";
}

bool ChartSite::hasChart(const QDate &date) const {
    if (!date.isValid() || date < m_options.first) return false;
    if (m_options.last.isValid() && date > m_options.last) return false;
    const qint64 days = m_options.first.daysTo(date);
    if (days % 7 != 0) return false;
    if (m_options.missing.contains(date)) return false;
    if (m_options.missingEvery > 0 && (days / 7) % m_options.missingEvery == m_options.missingEvery - 1)
        return false;
    return true;
}

QByteArray ChartSite::response(const QByteArray &path) const {
    static const QByteArray prefix = "/vorq/cddb/countdown", suffix = "-j.html";
    QDate date;
    if (path.startsWith(prefix) && path.endsWith(suffix) && path.size() == prefix.size() + 8 + suffix.size())
        date = QDate::fromString(QString::fromLatin1(path.mid(prefix.size(), 8)), QStringLiteral("yyyyMMdd"));
    if (hasChart(date))
        return httpResponse(200, "OK",
                            ConvertJapanese(chartPageSjis(date, m_options.songs), weekEncoding(date)));
    return httpResponse(404, "Not Found", notFoundBody(path));
}

}  // namespace vorq::test
