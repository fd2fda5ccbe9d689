#pragma once
// The text layer: Shift-JIS (CP932) bytes are the system's text. This module
// is the one place where bytes become QString and back (screen, file names),
// and it holds the byte-level rules every other module builds on.
#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

namespace vorq::sjis {

// CP932 lead byte: 0x81-0x9F and 0xE0-0xFC.
constexpr bool isLeadByte(unsigned char c) noexcept {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Length in bytes of the character starting at byte i (1 or 2). A lead byte
// in the last position is a one-byte character.
inline int charLength(const QByteArray &s, qsizetype i) noexcept {
    return (isLeadByte(static_cast<unsigned char>(s.at(i))) && i + 1 < s.size()) ? 2 : 1;
}

// Number of characters, counted from the start with the lead-byte test.
qsizetype charCount(const QByteArray &s) noexcept;

// Throws EncodingError when the platform has no "windows-31j" codec.
void ensureCodec();

// Shift-JIS bytes to text. Invalid sequences decode to U+FFFD.
QString toUnicode(const QByteArray &bytes);

// Text to Shift-JIS bytes. Throws EncodingError naming the first character
// that Shift-JIS cannot hold: such text is never written as "?".
QByteArray fromUnicode(const QString &text);

// Like fromUnicode, but reports failure instead of throwing.
bool tryFromUnicode(const QString &text, QByteArray *out);

// A file-system path from a Shift-JIS path text, and back.
inline QString path(const QByteArray &bytes) { return toUnicode(bytes); }

// Splits at CR LF, LF or CR. A final line end does not start another line;
// an empty text has no lines.
QList<QByteArray> splitLines(const QByteArray &text);

// Joins with CR LF after every line, the last one included.
QByteArray joinLines(const QList<QByteArray> &lines);

// Reads a whole file as lines. Throws FileError when it cannot be opened.
// A file larger than maxBytes is refused (FileError) to keep memory bounded.
QList<QByteArray> readLines(const QString &fileName, qint64 maxBytes = 256 * 1024 * 1024);
QByteArray readFile(const QString &fileName, qint64 maxBytes = 256 * 1024 * 1024);

// Writes lines with CR LF to a device; false on a device error.
bool writeLines(QIODevice *device, const QList<QByteArray> &lines);

// Writes the file atomically (QSaveFile): either the whole new content is
// there afterwards or the old file is untouched. Then the folder is synced,
// so after a power loss the new file is there, not the old one. A file that
// is a symbolic link is written where the link points (a data folder may
// keep file.idx elsewhere through one). Throws FileError.
void saveLines(const QString &fileName, const QList<QByteArray> &lines);
void saveFile(const QString &fileName, const QByteArray &content);

// Like saveFile, but for files made for someone else (a staged disc): a
// symbolic link at fileName is refused (FileError naming it), and the new
// file replaces the name itself, never what a link or hard link shares.
// executable: also for the owner, group and others to run.
void saveFileNotThroughLinks(const QString &fileName, const QByteArray &content, bool executable = false);

// Syncs the folder holding fileName (after a rename into it). False when
// the folder cannot be opened or synced.
bool syncFolderOf(const QString &fileName);

// Literal Shift-JIS text from a UTF-8 source literal (compile-time texts of
// the program, all representable).
QByteArray lit(const char *utf8);

// Title normalisation: full-width digits and Latin letters (0x824F-0x829A)
// to ASCII, ideographic space to ASCII space, on character boundaries only.
QByteArray normalizeTitle(const QByteArray &text);

// Artist normalisation: title normalisation, then, when the result holds a
// two-byte character and an ASCII space, every ASCII space is removed.
QByteArray normalizeArtist(const QByteArray &text);

// Position of needle in haystack at or after from, only where it starts on a
// character boundary; -1 when absent.
qsizetype indexOfOnBoundary(const QByteArray &haystack, const QByteArray &needle, qsizetype from = 0);

}  // namespace vorq::sjis
