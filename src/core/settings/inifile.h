#pragma once
// Ini text files held in memory, and the self-saving variant the settings
// store is built from. Text is Shift-JIS bytes; paths are Shift-JIS bytes
// with "/" separators.
#include <QByteArray>
#include <QHash>
#include <QList>

#include "core/base/errors.h"

namespace vorq {

// No writeable settings file is open.
class EIniWriteError : public Error {
public:
    EIniWriteError();
};

// Parses an ini integer: decimal with an optional sign, or hexadecimal when
// the text is longer than two characters and starts "0x"/"0X". Values that
// do not fit 32 bits (hexadecimal: 8 digits, taken as two's complement) or do
// not parse give def.
int parseIniInteger(const QByteArray &text, int def);

// An ini file read whole into memory at creation (a missing or unreadable
// file reads as empty). Sections are "[name]" lines; other non-empty lines
// not starting with ";" are entries of the current section (lines before the
// first section are dropped); the value is everything after the first "=".
// Names match without regard to ASCII letter case. Comments and blank lines
// are not kept when the file is written back.
class TMemIniFile {
public:
    // Files larger than this are not read (they read as empty and are never
    // overwritten), which keeps memory bounded.
    static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

    explicit TMemIniFile(const QByteArray &fileName);
    virtual ~TMemIniFile();
    TMemIniFile(const TMemIniFile &) = delete;
    TMemIniFile &operator=(const TMemIniFile &) = delete;
    TMemIniFile(TMemIniFile &&) = default;
    TMemIniFile &operator=(TMemIniFile &&) = default;

    const QByteArray &fileName() const { return m_fileName; }

    // A present key gives its value even when empty; a missing one def.
    virtual QByteArray ReadString(const QByteArray &section, const QByteArray &key,
                                  const QByteArray &def) const;
    // Replaces an existing key in place, appends a new key at the end of its
    // section and a new section at the end. Throws Error for names or values
    // that would change the file's structure (line breaks, "=" in a key, a
    // key starting with ";" or "[").
    virtual void WriteString(const QByteArray &section, const QByteArray &key, const QByteArray &value);

    int ReadInteger(const QByteArray &section, const QByteArray &key, int def) const;
    void WriteInteger(const QByteArray &section, const QByteArray &key, int value);
    // Any integer other than 0 is true; stored as "1"/"0".
    bool ReadBool(const QByteArray &section, const QByteArray &key, bool def) const;
    void WriteBool(const QByteArray &section, const QByteArray &key, bool value);

    // Each replaces the caller's list: key names of a section, section
    // names, whole entry lines of a section.
    virtual void ReadSection(const QByteArray &section, QList<QByteArray> &list) const;
    virtual void ReadSections(QList<QByteArray> &list) const;
    virtual void ReadSectionValues(const QByteArray &section, QList<QByteArray> &list) const;
    bool SectionExists(const QByteArray &section) const;

    virtual void EraseSection(const QByteArray &section);
    virtual void DeleteKey(const QByteArray &section, const QByteArray &key);

    // Writes the whole file from memory (this class: nothing; see
    // TMyMemIniFile).
    virtual void UpdateFile() {}

    // The file as it would be written: CR LF line ends, a blank line after
    // each section.
    QByteArray content() const;
    // Replaces the memory by parsed text.
    void setContent(const QByteArray &text);
    // Reads the file again (missing: empty).
    void reload();
    // True when the file existed but could not be read (too large, not a
    // file, no permission): it must not be overwritten from empty memory.
    bool loadFailed() const { return m_loadFailed; }

    // Folds ASCII letters to lower case on character boundaries, so
    // trailing bytes of double-byte characters are never changed.
    static QByteArray foldName(const QByteArray &name);

private:
    struct Entry {
        QByteArray key;
        QByteArray value;
        bool hasEquals = true;
    };
    struct Section {
        QByteArray name;
        QList<Entry> entries;
    };
    int sectionIndex(const QByteArray &section) const;
    static int entryIndex(const Section &s, const QByteArray &key);
    void rebuildIndex();

    QByteArray m_fileName;
    QList<Section> m_sections;
    QHash<QByteArray, int> m_index;  // folded name -> position in m_sections
    bool m_loadFailed = false;
};

// An ini file that keeps itself on disk: every change is written at once,
// atomically, creating missing folders first.
class TMyMemIniFile : public TMemIniFile {
public:
    explicit TMyMemIniFile(const QByteArray &fileName);

    void WriteString(const QByteArray &section, const QByteArray &key, const QByteArray &value) override;
    void EraseSection(const QByteArray &section) override;
    void DeleteKey(const QByteArray &section, const QByteArray &key) override;
    // Throws FileError when the file cannot be written (no name, folder not
    // creatable, write failure, or a file that could not be read).
    void UpdateFile() override;

protected:
    QByteArray FFolder;  // folder of the file, with trailing "/"
};

}  // namespace vorq
