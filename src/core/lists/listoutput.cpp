#include "core/lists/listoutput.h"

#include <QIODevice>
#include <QSaveFile>
#include <functional>

#include "core/base/errors.h"
#include "core/text/sjistext.h"

namespace vorq {

bool parseOutputColumns(const QString &list, OutputChoice *out) {
    OutputChoice c;
    c.date = c.number = c.title = c.artist = c.file = c.method = false;
    for (const QString &raw : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = raw.trimmed();
        if (name == QLatin1String("date"))
            c.date = true;
        else if (name == QLatin1String("number"))
            c.number = true;
        else if (name == QLatin1String("title"))
            c.title = true;
        else if (name == QLatin1String("artist"))
            c.artist = true;
        else if (name == QLatin1String("file"))
            c.file = true;
        else if (name == QLatin1String("method"))
            c.method = true;
        else
            return false;
    }
    *out = c;
    return true;
}

QList<QByteArray> chartCaptions() {
    static const QList<QByteArray> c{sjis::lit("順位"), sjis::lit("曲名"), sjis::lit("アーティスト名")};
    return c;
}

QList<QByteArray> resultCaptions() {
    static const QList<QByteArray> c{sjis::lit("日付"),
                                     sjis::lit("順位"),
                                     sjis::lit("曲名"),
                                     sjis::lit("アーティスト名"),
                                     sjis::lit("関連付けファイル名"),
                                     sjis::lit("開く方法")};
    return c;
}

int dateOffset(const QList<QByteArray> &captions) {
    static const QByteArray date = sjis::lit("日付");
    return !captions.isEmpty() && captions.first() == date ? 1 : 0;
}

QList<OutputColumn> columnSet(const QList<QByteArray> &captions, const OutputChoice &choice) {
    const int d = dateOffset(captions);
    // A caption the caller's view lacks gives an empty header rather than a crash.
    auto caption = [&](int i) { return captions.value(i); };
    QList<OutputColumn> cols;
    if (d == 1 && choice.date) cols.append({0, caption(0)});
    if (choice.number) cols.append({d, caption(d)});
    if (choice.title) cols.append({d + 1, caption(d + 1)});
    if (choice.artist) cols.append({d + 2, caption(d + 2)});
    if (choice.file) cols.append({d + 3, sjis::lit("起動ファイル名")});
    if (choice.method) cols.append({d + 4, sjis::lit("コマンド")});
    return cols;
}

namespace {

bool writeAll(QIODevice *device, const QByteArray &data) { return device->write(data) == data.size(); }

// Saves through QSaveFile; writer returns false when there is nothing to
// write, and the file is then not created.
bool saveThrough(const QString &fileName, const std::function<bool(QIODevice *, bool *)> &writer) {
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly))
        throw FileError(QStringLiteral("ファイル %1 を作成できません: %2").arg(fileName, f.errorString()));
    bool ok = true;
    if (!writer(&f, &ok)) {
        f.cancelWriting();
        return false;
    }
    if (!ok || !f.commit())
        throw FileError(QStringLiteral("ファイル %1 に書き込めません: %2").arg(fileName, f.errorString()));
    return true;
}

constexpr qsizetype kChunk = 1 << 16;

}  // namespace

bool writeList(QIODevice *device, const QList<QByteArray> &captions, const ListRows &rows,
               const OutputChoice &choice, qint64 n) {
    if (rows.size() == 0) return false;
    const QList<OutputColumn> cols = columnSet(captions, choice);
    if (cols.isEmpty()) return false;
    QByteArray buf;
    auto flush = [&](bool force) {
        if (!force && buf.size() < kChunk) return true;
        const bool ok = writeAll(device, buf);
        buf.clear();
        return ok;
    };
    for (qsizetype c = 0; c < cols.size(); ++c) {
        if (c) buf += '\t';
        buf += cols.at(c).header;
    }
    buf += "\r\n";
    for (qint64 k = 0; k < n; ++k) {
        const qsizetype r = qsizetype(k % rows.size());
        for (qsizetype c = 0; c < cols.size(); ++c) {
            if (c) buf += '\t';
            buf += rows.field(r, cols.at(c).field);
        }
        buf += "\r\n";
        if (!flush(false)) return true;  // the caller sees the device's error
    }
    flush(true);
    return true;
}

bool saveList(const QString &fileName, const QList<QByteArray> &captions, const ListRows &rows,
              const OutputChoice &choice, qint64 n) {
    if (rows.size() == 0 || columnSet(captions, choice).isEmpty()) return false;
    return saveThrough(fileName, [&](QIODevice *dev, bool *ok) {
        const bool any = writeList(dev, captions, rows, choice, n);
        auto *sf = static_cast<QSaveFile *>(dev);
        *ok = sf->error() == QFileDevice::NoError;
        return any;
    });
}

PrintLayout::PrintLayout(const QList<QByteArray> &captions, const ListRows &rows, const OutputChoice &choice,
                         qint64 n)
    : m_columns(columnSet(captions, choice)), m_offset(dateOffset(captions)) {
    for (const OutputColumn &c : m_columns) m_widths.append(c.header.size());
    for (qsizetype r = 0; r < rows.size(); ++r)
        for (qsizetype c = 0; c < m_columns.size(); ++c)
            m_widths[c] = std::max(m_widths[c], rows.field(r, m_columns.at(c).field).size());
    for (qsizetype &w : m_widths) ++w;
    if (n == 0)
        m_count = rows.size();
    else if (n > 0)
        m_count = qsizetype(std::min<qint64>(n, rows.size()));
}

QByteArray PrintLayout::format(const std::function<const QByteArray &(int)> &cell) const {
    QByteArray out;
    for (qsizetype c = 0; c < m_columns.size(); ++c) {
        const QByteArray &t = cell(int(c));
        out += t;
        if (c + 1 < m_columns.size() && t.size() < m_widths.at(c))
            out += QByteArray(m_widths.at(c) - t.size(), ' ');
    }
    return out;
}

QByteArray PrintLayout::header() const {
    return format([this](int c) -> const QByteArray & { return m_columns.at(c).header; });
}

QByteArray PrintLayout::line(const ListRows &rows, qsizetype row) const {
    return format([&](int c) -> const QByteArray & { return rows.field(row, m_columns.at(c).field); });
}

bool PrintLayout::isRed(const ListRows &rows, qsizetype row) const {
    return !rows.field(row, m_offset + 3).isEmpty();
}

}  // namespace vorq
