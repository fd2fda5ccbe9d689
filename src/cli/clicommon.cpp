#include "cli/clicommon.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <cstdio>

#include "cli/commandtable.h"
#include "core/base/appenv.h"
#include "core/charts/broadcastdate.h"
#include "core/charts/chartstore.h"
#include "core/text/sjistext.h"

namespace vorq::cli {

Args parseArgs(const QStringList &args, const QSet<QString> &valueOptions, const QSet<QString> &flagOptions) {
    Args out;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (!a.startsWith(QLatin1String("--")) || a == QLatin1String("--")) {
            out.positional.append(a);
            continue;
        }
        QString name = a.mid(2);
        QString value;
        bool inlineValue = false;
        if (const qsizetype eq = name.indexOf(QLatin1Char('=')); eq >= 0) {
            value = name.mid(eq + 1);
            name.truncate(eq);
            inlineValue = true;
        }
        if (valueOptions.contains(name)) {
            if (!inlineValue) {
                if (i + 1 >= args.size())
                    throw UsageError(QStringLiteral("option --%1 needs a value").arg(name));
                value = args.at(++i);
            }
            out.values.insert(name, value);
        } else if (flagOptions.contains(name) && !inlineValue) {
            out.flags.insert(name);
        } else {
            throw UsageError(QStringLiteral("unknown option --%1").arg(name));
        }
    }
    return out;
}

Args parseArgs(const QStringList &args, const Command &command) {
    QSet<QString> values, flags;
    for (const Option &o : command.options) (o.arg ? values : flags).insert(QLatin1String(o.name));
    return parseArgs(args, values, flags);
}

QDate parseDate(const QString &text) {
    QDate d = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (d.isValid()) return d;
    QByteArray bytes;
    if (sjis::tryFromUnicode(text, &bytes)) {
        if (auto fromLabel = dateFromLabel(bytes)) return *fromLabel;
    }
    throw UsageError(QStringLiteral("not a date (YYYY-MM-DD or a date label): %1").arg(text));
}

void parseDateRange(const Args &args, QDate *from, QDate *to) {
    if (args.has(QStringLiteral("from")))
        *from = broadcastOnOrAfter(parseDate(args.value(QStringLiteral("from"))));
    if (args.has(QStringLiteral("to")))
        *to = broadcastOnOrBefore(parseDate(args.value(QStringLiteral("to"))));
}

void applyToday(const Args &args) {
    if (!args.has(QStringLiteral("today"))) return;
    const QString text = args.value(QStringLiteral("today"));
    const QDate today = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!today.isValid()) throw UsageError(QStringLiteral("--today needs YYYY-MM-DD: %1").arg(text));
    env::setToday(today);
}

void writeRaw(const QByteArray &bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

void writeText(const QByteArray &sjisText, bool sjis) {
    if (sjis) return writeRaw(sjisText);
    // Stored texts come from others: control characters other than the TAB
    // and LF of our own layout (an escape sequence would drive the terminal)
    // show as U+FFFD. --sjis still gives the stored bytes.
    // Converted a piece of lines at a time: a long output (a whole history's
    // changes) never sits in memory three times over. LF is never part of a
    // Shift-JIS character, so the pieces decode as the whole would.
    constexpr qsizetype kPiece = 256 * 1024;
    for (qsizetype from = 0; from < sjisText.size();) {
        qsizetype end =
            from + kPiece >= sjisText.size() ? sjisText.size() : sjisText.indexOf('\n', from + kPiece);
        end = end < 0 ? sjisText.size() : std::min(sjisText.size(), end + 1);
        QString text = sjis::toUnicode(sjisText.sliced(from, end - from));
        for (QChar &c : text) {
            const char16_t u = c.unicode();
            if ((u < 0x20 && u != u'\t' && u != u'\n') || (u >= 0x7F && u <= 0x9F)) c = QChar(0xFFFD);
        }
        writeRaw(text.toUtf8());
        from = end;
    }
}

void printError(const QString &message) {
    const QByteArray utf8 = message.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<size_t>(utf8.size()), stderr);
    std::fputc('\n', stderr);
}

QByteArray readInput(const QString &fileName) {
    if (!fileName.isEmpty()) return sjis::readFile(fileName);
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) throw FileError(QStringLiteral("cannot read standard input"));
    return in.readAll();
}

QByteArray programFolder() {
    return sjis::fromUnicode(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
}

}  // namespace vorq::cli
