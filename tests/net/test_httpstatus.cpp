// The client as real servers speak to it: status lines, redirects, the
// announced length, chunked bodies, https with verification and the CONNECT
// tunnel.
#include <gtest/gtest.h>

#include "net/httpclient.h"
#include "sjtest.h"
#include "testserver.h"

using namespace vorq::net;
using namespace vorq::test;

namespace {

QString tls(const char *file) {
    return QStringLiteral(VORQ_FIXTURES_DIR "/tls/") + QString::fromLatin1(file);
}

ScriptedReply raw(const QByteArray &data) {
    ScriptedReply r;
    r.data = data;
    return r;
}

ScriptedReply redirect(int status, const QByteArray &location) {
    return raw("HTTP/1.1 " + QByteArray::number(status) + " Moved\r\nLocation: " + location +
               "\r\nContent-Length: 0\r\n\r\n");
}

QByteArray chunkedResponse() {
    return "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
           "7\r\n<HTML>\n\r\n"
           "19;ext=1\r\nline one\nline two\n</HTML>\r\n"
           "0\r\nX-Trailer: t\r\n\r\n";
}

class HttpStatusTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = setErrorReporter([this](const QString &m) { reported.append(m); });
        ASSERT_TRUE(server.listen());
        setTrustedCaFile(tls("ca.pem"));
    }
    void TearDown() override {
        setErrorReporter(previous);
        setTrustedCaFile({});
    }

    TestServer server;
    QStringList reported;
    ErrorReporter previous;
};

}  // namespace

TEST(HttpResponse, ChunkedBodyIsCompleteOnlyWithItsLastChunk) {
    const QByteArray whole = chunkedResponse();
    const QByteArray body = whole.mid(whole.indexOf("\r\n\r\n") + 4);
    const QByteArray expected = "<HTML>\nline one\nline two\n</HTML>";
    for (qsizetype n = 0; n <= body.size(); ++n) {
        const ChunkedBody d = decodeChunked(body.left(n));
        ASSERT_FALSE(d.malformed) << n;
        ASSERT_EQ(d.complete, n == body.size()) << n;
        ASSERT_TRUE(expected.startsWith(d.body)) << n;
    }
    EXPECT_EQ(decodeChunked(body).body, expected);
    EXPECT_TRUE(decodeChunked("zz\r\nabc").malformed);
    EXPECT_TRUE(decodeChunked("3\r\nabcX\r\n").malformed);
}

TEST(HttpResponse, RetryAfterTakesSecondsOrADateAndIsCapped) {
    const QDateTime now(QDate(2026, 12, 8), QTime(10, 0, 0), Qt::UTC);
    EXPECT_EQ(retryAfterSeconds("120", now, 600), 120);
    EXPECT_EQ(retryAfterSeconds(" 0 ", now, 600), 0);
    EXPECT_EQ(retryAfterSeconds("86400", now, 600), 600);
    EXPECT_EQ(retryAfterSeconds("Tue, 08 Dec 2026 10:01:30 GMT", now, 600), 90);
    EXPECT_EQ(retryAfterSeconds("Tuesday, 08-Dec-26 10:00:30 GMT", now, 600), 30);
    EXPECT_EQ(retryAfterSeconds("Tue Dec  8 10:00:05 2026", now, 600), 5);
    EXPECT_EQ(retryAfterSeconds("Tue, 08 Dec 2026 09:00:00 GMT", now, 600), 0);  // passed
    EXPECT_EQ(retryAfterSeconds("Wed, 09 Dec 2026 10:00:00 GMT", now, 600), 600);
    EXPECT_EQ(retryAfterSeconds("soon", now, 600), -1);
    EXPECT_EQ(retryAfterSeconds("", now, 600), -1);
}

TEST_F(HttpStatusTest, StatusDecidesBetweenPageMissingPageAndError) {
    struct Case {
        QByteArray statusLine;
        FetchKind kind;
        bool retryable;
        int retryAfter;
    };
    const QList<Case> cases = {
        {"HTTP/1.1 200 OK", FetchKind::Page, false, -1},
        {"HTTP/1.1 404 Not Found", FetchKind::NotFound, false, -1},
        {"HTTP/1.1 410 Gone", FetchKind::NotFound, false, -1},
        {"HTTP/1.1 403 Forbidden", FetchKind::Failed, false, -1},
        {"HTTP/1.1 500 Internal Server Error", FetchKind::Failed, true, -1},
        {"HTTP/1.1 503 Service Unavailable\r\nRetry-After: 7", FetchKind::Failed, true, 7},
        {"HTTP/1.1 429 Too Many Requests\r\nRetry-After: 99999", FetchKind::Failed, true, 600},
    };
    for (const Case &c : cases) {
        reported.clear();
        server.setReply(raw(c.statusLine + "\r\nContent-Length: 9\r\n\r\nbody text"));
        const QByteArray page = GetUrl(server.url("/s"));
        const FetchReport r = lastFetch();
        SCOPED_TRACE(c.statusLine.toStdString());
        EXPECT_EQ(r.kind, c.kind);
        EXPECT_EQ(r.retryable, c.retryable);
        EXPECT_EQ(r.retryAfterSeconds, c.retryAfter);
        if (c.kind == FetchKind::Failed) {
            EXPECT_EQ(page, "");
            ASSERT_EQ(reported.size(), 1);
            EXPECT_TRUE(reported.first().contains(QString::fromLatin1(c.statusLine.mid(9, 3))));
        } else {
            // A missing page comes back whatever its body says.
            EXPECT_EQ(page, "body text\r\n");
            EXPECT_TRUE(reported.isEmpty());
        }
    }
}

TEST_F(HttpStatusTest, BodyShorterThanAnnouncedIsAnErrorNeverAPage) {
    const QByteArray page = samplePage();
    // The server closes after 95 rows of a page that announced them all.
    const QByteArray cut = page.left(page.indexOf("<TR><TD>96<"));
    server.setReply(
        raw("HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(page.size()) + "\r\n\r\n" + cut));
    EXPECT_EQ(GetUrl(server.url("/cut")), "");
    EXPECT_EQ(clientState(), -1);
    EXPECT_EQ(lastFetch().kind, FetchKind::Failed);
    EXPECT_TRUE(lastFetch().retryable);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported.first().startsWith(u8("サーバーからのデータ転送が途中で切れました。")));
    EXPECT_TRUE(reported.first().contains(QString::number(cut.size())));

    // More than announced: the rest is not part of the page.
    server.setReply(raw("HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabcdef"));
    EXPECT_EQ(GetUrl(server.url("/long")), "abc\r\n");
}

TEST_F(HttpStatusTest, ChunkedBodyArrivesWholeAtEveryByteBoundary) {
    const QByteArray response = chunkedResponse();
    for (qsizetype k = 1; k < response.size(); ++k) {
        ScriptedReply r = raw(response);
        r.splitAt = {k};
        r.splitPauseMs = 1;
        server.setReply(r);
        ASSERT_EQ(GetUrl(server.url("/c")), "<HTML>\r\nline one\r\nline two\r\n</HTML>\r\n") << k;
    }
    EXPECT_TRUE(reported.isEmpty());
    // Closed before the last chunk: an error.
    server.setReply(raw(response.left(response.indexOf("0\r\n"))));
    EXPECT_EQ(GetUrl(server.url("/c")), "");
    ASSERT_EQ(reported.size(), 1);
}

TEST_F(HttpStatusTest, RedirectsAreFollowedUpToFiveHopsAndNeverDownToHttp) {
    TestServer secure;
    ASSERT_TRUE(secure.useTls(tls("server.pem"), tls("server.key")));
    ASSERT_TRUE(secure.listen());
    secure.setHandler([&](const HttpRequest &req) {
        if (req.path == "/down") return redirect(302, server.url("/final"));
        return normalPage("secure page");
    });
    int hops = 0;
    server.setHandler([&](const HttpRequest &req) {
        if (req.path == "/a") return redirect(301, "/b");  // relative
        if (req.path == "/b") return redirect(307, secure.url("/c"));
        if (req.path.startsWith("/loop")) return redirect(302, "/loop" + QByteArray::number(++hops));
        return normalPage("plain page");
    });
    QList<QByteArray> seen;
    const RedirectObserver old = setRedirectObserver([&](const QByteArray &url) { seen.append(url); });

    EXPECT_EQ(GetUrl(server.url("/a")), "secure page\r\n");
    EXPECT_EQ(seen, (QList<QByteArray>{server.url("/b"), secure.url("/c")}));
    EXPECT_EQ(lastFetch().finalUrl, secure.url("/c"));
    EXPECT_TRUE(reported.isEmpty());

    EXPECT_EQ(GetUrl(server.url("/loop")), "");
    EXPECT_EQ(server.requests().size(), 2 + 6);  // the first request and five redirects
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported.last().contains(u8("5 回を超えた")));

    EXPECT_EQ(GetUrl(secure.url("/down")), "");
    ASSERT_EQ(reported.size(), 2);
    EXPECT_TRUE(reported.last().contains(u8("暗号化されない接続への転送は行いません")));
    EXPECT_EQ(server.requests().last().path, "/loop5");  // never asked for /final
    setRedirectObserver(old);
}

TEST_F(HttpStatusTest, HttpsVerifiesTheChainAndSendsItsOwnRequest) {
    TestServer secure;
    ASSERT_TRUE(secure.useTls(tls("server.pem"), tls("server.key")));
    ASSERT_TRUE(secure.listen());
    secure.setReply(normalPage(samplePage()));
    EXPECT_EQ(GetUrl(secure.url("/p.html")), samplePage());
    EXPECT_EQ(clientState(), 5);
    EXPECT_EQ(receivedByteCount(), normalPage(samplePage()).data.size());
    ASSERT_EQ(secure.requests().size(), 1);
    const HttpRequest req = secure.requests().first();
    EXPECT_EQ(req.requestLine, "GET /p.html HTTP/1.1");
    EXPECT_EQ(req.header("Host"), "127.0.0.1:" + QByteArray::number(secure.port()));
    EXPECT_EQ(req.header("User-Agent"), "vorqview/" VORQ_VERSION);
    EXPECT_EQ(req.header("Accept-Encoding"), "identity");
    EXPECT_TRUE(reported.isEmpty());
}

TEST_F(HttpStatusTest, CertificateProblemsEndTheFetchNamingTheProblem) {
    const QList<QPair<const char *, QString>> cases = {
        {"expired.pem", u8("有効期限が切れています")},
        {"wronghost.pem", u8("別のホストのもの")},
        {"unknownca.pem", u8("信頼されていません")},
    };
    for (const auto &[cert, words] : cases) {
        TestServer secure;
        ASSERT_TRUE(secure.useTls(tls(cert), tls("server.key")));
        ASSERT_TRUE(secure.listen());
        secure.setReply(normalPage("secret"));
        reported.clear();
        EXPECT_EQ(GetUrl(secure.url("/x")), "") << cert;
        ASSERT_EQ(reported.size(), 1) << cert;
        EXPECT_TRUE(reported.first().startsWith(u8("HTTPS で安全に接続できませんでした。"))) << cert;
        EXPECT_TRUE(reported.first().contains(words)) << reported.first().toStdString();
        EXPECT_FALSE(lastFetch().retryable);
        EXPECT_TRUE(secure.requests().isEmpty()) << cert;
    }
    // Without the extra CA the test chain is unknown as well.
    setTrustedCaFile({});
    TestServer secure;
    ASSERT_TRUE(secure.useTls(tls("server.pem"), tls("server.key")));
    ASSERT_TRUE(secure.listen());
    reported.clear();
    EXPECT_EQ(GetUrl(secure.url("/x")), "");
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported.first().contains(u8("信頼されていません")));
}

TEST_F(HttpStatusTest, HttpsThroughAProxyGoesInsideAConnectTunnel) {
    TestServer secure;
    ASSERT_TRUE(secure.useTls(tls("server.pem"), tls("server.key")));
    ASSERT_TRUE(secure.listen());
    secure.setReply(normalPage("tunnelled"));
    ConnectProxy proxy;
    ASSERT_TRUE(proxy.listen());

    SetProxy("127.0.0.1", proxy.port());
    EXPECT_EQ(GetUrl(secure.url("/t")), "tunnelled\r\n");
    EXPECT_TRUE(reported.isEmpty());
    const QByteArray target = "127.0.0.1:" + QByteArray::number(secure.port());
    EXPECT_EQ(proxy.requestLines(), QList<QByteArray>{"CONNECT " + target + " HTTP/1.1"});
    EXPECT_EQ(secure.requests().first().requestLine, "GET /t HTTP/1.1");

    proxy.setRefusing(true);
    SetProxy("127.0.0.1", proxy.port());
    EXPECT_EQ(GetUrl(secure.url("/t")), "");
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported.first().contains(u8("プロキシが ") + QString::fromLatin1(target)))
        << reported.first().toStdString();
    EXPECT_TRUE(reported.first().contains(u8("HTTP 403 Forbidden")));
}
