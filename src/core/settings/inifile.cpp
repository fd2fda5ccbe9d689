#include "core/settings/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/text/sjistext.h"

namespace vorq {

EIniWriteError::EIniWriteError() : Error(QStringLiteral("設定ファイルが見つかりません")) {}

int parseIniInteger(const QByteArray &text, int def) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        quint64 v = 0;
        int digits = 0;
        for (qsizetype i = 2; i < text.size(); ++i) {
            const char c = text[i];
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return def;
            if (v != 0 || d != 0) ++digits;
            if (digits > 8) return def;
            v = v * 16 + d;
        }
        return static_cast<int>(static_cast<quint32>(v));
    }
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i >= text.size()) return def;
    qint64 v = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return def;
        v = v * 10 + (c - '0');
        if (v > qint64(1) << 31) return def;
    }
    if (negative) v = -v;
    if (v > 2147483647LL || v < -2147483648LL) return def;
    return static_cast<int>(v);
}

namespace {

// Whether the line's first character is "[" and its last character (found
// by walking from the start, so a "]" that is the trailing byte of a
// double-byte character does not count) is "]".
bool isSectionLine(const QByteArray &line) {
    if (line.size() < 2 || line[0] != '[') return false;
    qsizetype i = 0, last = 0;
    while (i < line.size()) {
        last = i;
        i += sjis::charLength(line, i);
    }
    return last == line.size() - 1 && line[last] == ']';
}

void checkWritable(const QByteArray &section, const QByteArray &key, const QByteArray &value) {
    auto breaks = [](const QByteArray &s) { return s.contains('\r') || s.contains('\n'); };
    if (breaks(section) || breaks(key) || breaks(value) || key.contains('=') || key.startsWith(';') ||
        key.startsWith('['))
        throw Error(QStringLiteral("設定 [%1] %2 は保存できない文字を含んでいます。")
                        .arg(sjis::toUnicode(section), sjis::toUnicode(key)));
}

}  // namespace

QByteArray TMemIniFile::foldName(const QByteArray &name) {
    QByteArray out = name;
    for (qsizetype i = 0; i < out.size();) {
        const char c = out[i];
        if (c >= 'A' && c <= 'Z') out[i] = char(c - 'A' + 'a');
        i += sjis::charLength(out, i);
    }
    return out;
}

TMemIniFile::TMemIniFile(const QByteArray &fileName) : m_fileName(fileName) { reload(); }

TMemIniFile::~TMemIniFile() = default;

void TMemIniFile::reload() {
    m_loadFailed = false;
    if (m_fileName.isEmpty()) {
        setContent(QByteArray());
        return;
    }
    const QString path = sjis::path(m_fileName);
    QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        setContent(QByteArray());
        return;
    }
    QByteArray data;
    QFile f(path);
    if (!info.isFile() || info.size() > kMaxFileSize || !f.open(QIODevice::ReadOnly)) {
        m_loadFailed = true;
    } else {
        data = f.read(kMaxFileSize + 1);
        if (data.size() > kMaxFileSize || f.error() != QFileDevice::NoError) {
            m_loadFailed = true;
            data.clear();
        }
    }
    setContent(data);
}

void TMemIniFile::setContent(const QByteArray &text) {
    m_sections.clear();
    m_index.clear();
    Section *current = nullptr;
    for (const QByteArray &line : sjis::splitLines(text)) {
        if (line.isEmpty() || line[0] == ';') continue;
        if (isSectionLine(line)) {
            const QByteArray name = line.mid(1, line.size() - 2);
            const QByteArray folded = foldName(name);
            auto it = m_index.constFind(folded);
            if (it != m_index.constEnd()) {
                // A repeated section continues the first one.
                current = &m_sections[*it];
            } else {
                m_index.insert(folded, int(m_sections.size()));
                m_sections.append(Section{name, {}});
                current = &m_sections.last();
            }
            continue;
        }
        if (!current) continue;
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            current->entries.append(Entry{line, QByteArray(), false});
        else
            current->entries.append(Entry{line.left(eq), line.mid(eq + 1), true});
    }
}

QByteArray TMemIniFile::content() const {
    QByteArray out;
    for (const Section &s : m_sections) {
        out += '[' + s.name + "]\r\n";
        for (const Entry &e : s.entries) {
            out += e.key;
            if (e.hasEquals) out += '=' + e.value;
            out += "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

void TMemIniFile::rebuildIndex() {
    m_index.clear();
    for (int i = 0; i < m_sections.size(); ++i) m_index.insert(foldName(m_sections[i].name), i);
}

int TMemIniFile::sectionIndex(const QByteArray &section) const {
    return m_index.value(foldName(section), -1);
}

int TMemIniFile::entryIndex(const Section &s, const QByteArray &key) {
    const QByteArray folded = foldName(key);
    for (int i = 0; i < s.entries.size(); ++i)
        if (s.entries[i].key.size() == key.size() && foldName(s.entries[i].key) == folded) return i;
    return -1;
}

QByteArray TMemIniFile::ReadString(const QByteArray &section, const QByteArray &key,
                                   const QByteArray &def) const {
    const int si = sectionIndex(section);
    if (si < 0) return def;
    const int ei = entryIndex(m_sections[si], key);
    return ei < 0 ? def : m_sections[si].entries[ei].value;
}

void TMemIniFile::WriteString(const QByteArray &section, const QByteArray &key, const QByteArray &value) {
    checkWritable(section, key, value);
    int si = sectionIndex(section);
    if (si < 0) {
        si = int(m_sections.size());
        m_sections.append(Section{section, {}});
        m_index.insert(foldName(section), si);
    }
    Section &s = m_sections[si];
    const int ei = entryIndex(s, key);
    if (ei >= 0) {
        s.entries[ei].value = value;
        s.entries[ei].hasEquals = true;
    } else {
        s.entries.append(Entry{key, value, true});
    }
}

int TMemIniFile::ReadInteger(const QByteArray &section, const QByteArray &key, int def) const {
    const QByteArray v = ReadString(section, key, QByteArray());
    return v.isEmpty() ? def : parseIniInteger(v, def);
}

void TMemIniFile::WriteInteger(const QByteArray &section, const QByteArray &key, int value) {
    WriteString(section, key, QByteArray::number(value));
}

bool TMemIniFile::ReadBool(const QByteArray &section, const QByteArray &key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TMemIniFile::WriteBool(const QByteArray &section, const QByteArray &key, bool value) {
    WriteString(section, key, value ? QByteArray("1") : QByteArray("0"));
}

void TMemIniFile::ReadSection(const QByteArray &section, QList<QByteArray> &list) const {
    list.clear();
    const int si = sectionIndex(section);
    if (si < 0) return;
    for (const Entry &e : m_sections[si].entries) list.append(e.key);
}

void TMemIniFile::ReadSections(QList<QByteArray> &list) const {
    list.clear();
    for (const Section &s : m_sections) list.append(s.name);
}

void TMemIniFile::ReadSectionValues(const QByteArray &section, QList<QByteArray> &list) const {
    list.clear();
    const int si = sectionIndex(section);
    if (si < 0) return;
    for (const Entry &e : m_sections[si].entries) list.append(e.hasEquals ? e.key + '=' + e.value : e.key);
}

bool TMemIniFile::SectionExists(const QByteArray &section) const { return sectionIndex(section) >= 0; }

void TMemIniFile::EraseSection(const QByteArray &section) {
    const int si = sectionIndex(section);
    if (si < 0) return;
    m_sections.removeAt(si);
    rebuildIndex();
}

void TMemIniFile::DeleteKey(const QByteArray &section, const QByteArray &key) {
    const int si = sectionIndex(section);
    if (si < 0) return;
    const int ei = entryIndex(m_sections[si], key);
    if (ei >= 0) m_sections[si].entries.removeAt(ei);
}

// ---- TMyMemIniFile ----------------------------------------------------------

TMyMemIniFile::TMyMemIniFile(const QByteArray &fileName) : TMemIniFile(fileName) {
    const qsizetype slash = fileName.lastIndexOf('/');
    FFolder = slash >= 0 ? fileName.left(slash + 1) : QByteArray();
}

void TMyMemIniFile::WriteString(const QByteArray &section, const QByteArray &key, const QByteArray &value) {
    TMemIniFile::WriteString(section, key, value);
    UpdateFile();
}

void TMyMemIniFile::EraseSection(const QByteArray &section) {
    TMemIniFile::EraseSection(section);
    UpdateFile();
}

void TMyMemIniFile::DeleteKey(const QByteArray &section, const QByteArray &key) {
    TMemIniFile::DeleteKey(section, key);
    UpdateFile();
}

void TMyMemIniFile::UpdateFile() {
    if (fileName().isEmpty()) throw FileError(QStringLiteral("設定ファイルの名前がないため作成できません。"));
    const QString path = sjis::path(fileName());
    if (loadFailed())
        throw FileError(QStringLiteral("設定ファイル %1 を読み込めなかったため、上書きしません。").arg(path));
    if (!FFolder.isEmpty() && !QDir().mkpath(sjis::path(FFolder)))
        throw FileError(QStringLiteral("フォルダ %1 を作成できません。").arg(sjis::path(FFolder)));
    sjis::saveFile(path, content());
}

}  // namespace vorq
