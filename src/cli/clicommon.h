#pragma once
// Shared plumbing of the vorq subcommands: option parsing, dates, output.
#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <optional>

#include "core/base/errors.h"

namespace vorq::cli {

// A usage error: message to stderr, exit status 2.
class UsageError : public Error {
public:
    using Error::Error;
};

struct Args {
    QStringList positional;
    QHash<QString, QString> values;  // --name VALUE (or --name=VALUE)
    QSet<QString> flags;             // --name

    bool has(const QString &name) const { return values.contains(name) || flags.contains(name); }
    QString value(const QString &name, const QString &fallback = QString()) const {
        return values.value(name, fallback);
    }
};

struct Command;

// valueOptions and flagOptions are names without the leading "--".
// Throws UsageError for an unknown option or a missing value.
Args parseArgs(const QStringList &args, const QSet<QString> &valueOptions, const QSet<QString> &flagOptions);
// The options command lists (commandtable.h), those with an argument taking a
// value.
Args parseArgs(const QStringList &args, const Command &command);

// A date given as a date label or as YYYY-MM-DD. Throws UsageError.
QDate parseDate(const QString &text);

// The --from and --to of a command, moved onto the broadcast calendar: the
// broadcast date on or after --from, on or before --to (invalid before the
// first broadcast, an empty range). Untouched when not given.
void parseDateRange(const Args &args, QDate *from, QDate *to);

// --today YYYY-MM-DD, when given, becomes the program's today. Throws
// UsageError for another form.
void applyToday(const Args &args);

// Writes Shift-JIS text to stdout: converted to UTF-8 unless sjis is set.
void writeText(const QByteArray &sjisText, bool sjis);
// Raw bytes to stdout.
void writeRaw(const QByteArray &bytes);
// A message line to stderr (UTF-8).
void printError(const QString &message);

// The whole of a file, or of standard input when fileName is empty.
QByteArray readInput(const QString &fileName);

// The folder of the executable with a trailing "/", as Shift-JIS bytes.
QByteArray programFolder();

}  // namespace vorq::cli

// Subcommands, listed in commandtable.cpp; each returns the exit status.
int cmdDates(const vorq::cli::Command &command, const QStringList &args);
int cmdLoad(const vorq::cli::Command &command, const QStringList &args);
int cmdDetect(const vorq::cli::Command &command, const QStringList &args);
int cmdConvert(const vorq::cli::Command &command, const QStringList &args);
int cmdParse(const vorq::cli::Command &command, const QStringList &args);
int cmdFetch(const vorq::cli::Command &command, const QStringList &args);
int cmdImport(const vorq::cli::Command &command, const QStringList &args);
int cmdHistory(const vorq::cli::Command &command, const QStringList &args);
int cmdTop(const vorq::cli::Command &command, const QStringList &args);
int cmdAssociate(const vorq::cli::Command &command, const QStringList &args);
int cmdCdr(const vorq::cli::Command &command, const QStringList &args);
int cmdPlaylist(const vorq::cli::Command &command, const QStringList &args);
int cmdCountdown(const vorq::cli::Command &command, const QStringList &args);
int cmdSearch(const vorq::cli::Command &command, const QStringList &args);
int cmdList(const vorq::cli::Command &command, const QStringList &args);
int cmdPrint(const vorq::cli::Command &command, const QStringList &args);
int cmdScan(const vorq::cli::Command &command, const QStringList &args);
int cmdWanted(const vorq::cli::Command &command, const QStringList &args);
int cmdCompleteness(const vorq::cli::Command &command, const QStringList &args);
int cmdBackups(const vorq::cli::Command &command, const QStringList &args);
