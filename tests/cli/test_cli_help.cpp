// Each vorq command's options as its descriptor lists them, as `vorq COMMAND
// --help` and the built manual page show them, and as the parser takes them.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include "cli/commandtable.h"
#include "vorqrun.h"

namespace {

QSet<QString> optionsIn(const QString &text) {
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])--([a-z][a-z0-9-]*)"));
    QSet<QString> out;
    for (const auto &m : option.globalMatch(text)) out.insert(m.captured(1));
    return out;
}

// The command's subsection of the page, roff escapes taken out.
QString manSection(QString page, const QString &name) {
    const qsizetype start = page.indexOf(QStringLiteral(".SS ") + name + u'\n');
    if (start < 0) return {};
    static const QRegularExpression next(QStringLiteral("\n\\.(S[SH] |ad\n)"));
    const qsizetype end = page.indexOf(next, start + 1);
    page = page.mid(start, end - start);
    page.replace(QStringLiteral("\\-"), QStringLiteral("-")).remove(QStringLiteral("\\%"));
    return page.remove(QRegularExpression(QStringLiteral("\\\\f[BIR]")));
}

}  // namespace

TEST(CliHelp, HelpManPageAndParserAgreeWithTheTable) {
    QFile pageFile(QStringLiteral(VORQ_BINARY_DIR "/data/man/vorq.1"));
    ASSERT_TRUE(pageFile.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(pageFile.readAll());
    const QString usage = QString::fromUtf8(runVorq({QStringLiteral("--help")}).out);

    for (const vorq::cli::Command &c : vorq::cli::commands()) {
        const QString name = QLatin1String(c.name);
        SCOPED_TRACE(name.toStdString());
        QSet<QString> listed;
        QStringList probe{name};
        for (const vorq::cli::Option &o : c.options) {
            listed.insert(QLatin1String(o.name));
            probe << QStringLiteral("--") + QLatin1String(o.name);
            if (o.arg) probe << QStringLiteral("m3u");  // also a valid --format
        }
        EXPECT_TRUE(usage.contains(QStringLiteral("\n  vorq ") + name + u' ')) << "not in vorq --help";

        const VorqRun help = runVorq({name, QStringLiteral("--help")});
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(optionsIn(QString::fromUtf8(help.out)), listed) << help.out.constData();
        const QString usageLine = QString::fromUtf8(help.out).section(QStringLiteral("\n\n"), 0, 0);
        EXPECT_EQ(optionsIn(usageLine), listed) << "synopsis: " << usageLine.toStdString();
        EXPECT_EQ(optionsIn(manSection(page, name)), listed) << manSection(page, name).toStdString();

        // Every listed option gets past the parser: only the last one is unknown.
        probe << QStringLiteral("--no-such-option");
        const VorqRun parsed = runVorq(probe);
        EXPECT_EQ(parsed.status, 2);
        EXPECT_TRUE(parsed.err.endsWith("vorq: unknown option --no-such-option\n")) << parsed.err.constData();
    }
}
