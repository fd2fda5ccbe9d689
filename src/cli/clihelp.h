#pragma once
// What `vorq COMMAND --help` says about a command beyond its synopsis.
#include <QString>

namespace vorq::cli {

// Plain-text description of a command (lines ending in "\n"); empty for a
// command without one, whose synopsis then stands alone.
QString commandHelp(const QString &name);

// Whether args (after the command name) ask for help: "--help" or "-h".
bool asksForHelp(const QStringList &args);

}  // namespace vorq::cli
