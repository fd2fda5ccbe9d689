#pragma once
// The vorq commands, one descriptor each. The parser's option sets, `vorq
// --help`, `vorq COMMAND --help` and the manual page's command section are
// all built from it, so they cannot disagree. A new command is one
// descriptor in commandtable.cpp and one function.
#include <QString>
#include <QStringList>
#include <vector>

namespace vorq::cli {

struct Option {
    const char *name;  // without the leading "--"
    const char *arg;   // the value as help names it ("DIR", "on|off"); nullptr for a flag
    const char *help;  // one line
};

struct Command {
    const char *name;
    int (*run)(const Command &, const QStringList &);
    // What the command does: lines ending in "\n", printed as they are by
    // --help and filled by the manual page.
    const char *description;
    std::vector<Option> options;
    // The positional arguments, appended to a built synopsis ("[FILE]").
    const char *positional = "";
    // The synopsis forms after the name, for commands whose options group
    // or exclude each other; empty: each option in brackets, then positional.
    std::vector<const char *> forms = {};
};

// Every command in the order `vorq --help` lists them.
const std::vector<Command> &commands();
const Command *findCommand(const QString &name);

// The synopsis forms of c, each starting with its name, on one line.
QStringList synopses(const Command &c);

// `vorq --help` (and the usage error's text).
QString usageText();
// `vorq COMMAND --help`.
QString commandUsage(const Command &c);
// The manual page's COMMANDS section in roff, one subsection per command.
QString manCommands();

// Whether args (after the command name) ask for help: "--help" or "-h".
bool asksForHelp(const QStringList &args);

}  // namespace vorq::cli
