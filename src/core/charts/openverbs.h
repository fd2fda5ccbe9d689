#pragma once
// What opening an associated file may do. The open method comes from
// file.idx, which travels between computers and onto discs, so it only ever
// selects a row of a fixed table; it never names a program. Addresses open
// only for a few schemes, and executable targets are recognised here so the
// shell can ask before anything runs. Pure functions: no screen, no process.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vorq {

// The actions a stored method can select.
enum class OpenAction {
    DefaultHandler,    // "", "open", "play": the desktop's default handler
    MailcapEdit,       // "edit": the mailcap edit action of the file's type
    MailcapPrint,      // "print": the mailcap print action
    ContainingFolder,  // "explore", "find": the containing folder in the file manager
    Refused,           // anything else: nothing runs
};

// The table. Letter case and surrounding blanks are ignored.
OpenAction openActionFor(const QString &method);

// The methods the table understands, in the order messages list them.
QStringList understoodMethods();

// The message for a method outside the table: names it and the understood ones.
QString unknownMethodMessage(const QString &method);

// The action name run-mailcap takes ("edit", "print"); empty for other actions.
QString mailcapActionName(OpenAction action);

// How a target text is opened: a local path, an address of an allowed
// scheme (http, https, ftp, mailto; any letter case) or an address of any
// other scheme, which is refused. A scheme is letters, digits, "+", "-", "."
// starting with a letter, at least two characters (so "C:\x" is a path),
// followed by ":". Texts starting with "/" are always paths.
enum class TargetKind { LocalPath, Address, RefusedAddress };
TargetKind classifyTarget(const QString &target, QString *scheme = nullptr);
QStringList allowedSchemes();
QString refusedSchemeMessage(const QString &target, const QString &scheme);

// Executable detection from what is known about a file: its name, its first
// bytes and whether any execute permission bit is set. Executable means: an
// execute bit, a ".desktop" launcher, a script ("#!" or a script extension),
// an ELF binary or AppImage, or a program for another system (".exe"...).
bool looksExecutable(const QString &fileName, const QByteArray &head, bool executeBit);

// The same for a file on disk (symbolic links are followed; the link's own
// name counts too). Only regular files can be: folders, devices, pipes and
// missing files are not (and are never opened to look).
bool isExecutableFile(const QString &path);

// The Yes/No question asked before opening an executable target.
QString executableQuestionCaption();
QString executableQuestionText(const QString &path);

// Whether run-mailcap may be handed this absolute path as it is: it builds a
// shell command line from the name, so only names of letters, digits and
// ",.:/@^+=_-" go through; others are handed over through a safe alias.
bool isMailcapSafePath(const QString &path);

}  // namespace vorq
