#include "core/charts/openverbs.h"

#include <QFile>
#include <QFileInfo>

namespace vorq {

OpenAction openActionFor(const QString &method) {
    const QString m = method.trimmed().toLower();
    if (m.isEmpty() || m == QLatin1String("open") || m == QLatin1String("play"))
        return OpenAction::DefaultHandler;
    if (m == QLatin1String("edit")) return OpenAction::MailcapEdit;
    if (m == QLatin1String("print")) return OpenAction::MailcapPrint;
    if (m == QLatin1String("explore") || m == QLatin1String("find")) return OpenAction::ContainingFolder;
    return OpenAction::Refused;
}

QStringList understoodMethods() {
    return {QStringLiteral("open"),  QStringLiteral("play"),    QStringLiteral("edit"),
            QStringLiteral("print"), QStringLiteral("explore"), QStringLiteral("find")};
}

QString unknownMethodMessage(const QString &method) {
    return QStringLiteral(
               "開き方「%1」はわかりません。何も実行しませんでした。\n"
               "使える開き方は %2 です (空欄は open と同じです)。")
        .arg(method, understoodMethods().join(QStringLiteral(", ")));
}

QString mailcapActionName(OpenAction action) {
    switch (action) {
        case OpenAction::MailcapEdit: return QStringLiteral("edit");
        case OpenAction::MailcapPrint: return QStringLiteral("print");
        default: return {};
    }
}

QStringList allowedSchemes() {
    return {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("ftp"), QStringLiteral("mailto")};
}

TargetKind classifyTarget(const QString &target, QString *scheme) {
    if (scheme) scheme->clear();
    if (target.startsWith(QLatin1Char('/'))) return TargetKind::LocalPath;
    qsizetype i = 0;
    auto isAsciiLetter = [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
               (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
    };
    while (i < target.size()) {
        const QChar c = target.at(i);
        const bool ok = isAsciiLetter(c) ||
                        (i > 0 && ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                                   c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('.')));
        if (!ok) break;
        ++i;
    }
    if (i < 2 || i >= target.size() || target.at(i) != QLatin1Char(':')) return TargetKind::LocalPath;
    const QString s = target.left(i).toLower();
    if (scheme) *scheme = s;
    return allowedSchemes().contains(s) ? TargetKind::Address : TargetKind::RefusedAddress;
}

QString refusedSchemeMessage(const QString &target, const QString &scheme) {
    return QStringLiteral(
               "「%1:」のアドレスは開きません。何も実行しませんでした。\n%2\n"
               "開けるアドレスは %3 だけです。")
        .arg(scheme, target, allowedSchemes().join(QStringLiteral(", ")));
}

bool looksExecutable(const QString &fileName, const QByteArray &head, bool executeBit) {
    if (executeBit) return true;
    if (head.startsWith("#!") ||
        head.startsWith("\x7f"
                        "ELF") ||
        head.startsWith("MZ"))
        return true;
    // Type 2 AppImages carry "AI\x02" at offset 8 (inside an ELF header, but
    // the marker alone is enough to refuse a renamed one).
    if (head.size() >= 11 && head.mid(8, 3) == QByteArray("AI\x02", 3)) return true;
    static const char *const extensions[] = {
        ".desktop", ".appimage", ".sh",  ".bash", ".zsh", ".ksh", ".csh",        ".fish",
        ".py",      ".pl",       ".rb",  ".php",  ".run", ".bin", ".jar",        ".exe",
        ".com",     ".bat",      ".cmd", ".msi",  ".ps1", ".vbs", ".js",         ".lnk",
        ".scr",     ".pif",      ".elf", ".out",  ".deb", ".rpm", ".flatpakref", ".snap"};
    const QString lower = fileName.toLower();
    for (const char *e : extensions)
        if (lower.endsWith(QLatin1String(e))) return true;
    return false;
}

bool isExecutableFile(const QString &path) {
    const QFileInfo link(path);
    if (!link.exists()) return false;  // follows links: a dangling one opens nothing
    const QFileInfo target(link.canonicalFilePath());
    // Only regular files are read: opening a named pipe would wait forever.
    if (!target.isFile()) return false;
    QByteArray head;
    QFile f(target.filePath());
    if (f.open(QIODevice::ReadOnly)) head = f.read(16);
    const auto exec =
        QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther | QFileDevice::ExeUser;
    const bool bit = (target.permissions() & exec) != 0;
    return looksExecutable(link.fileName(), head, bit) || looksExecutable(target.fileName(), head, bit);
}

QString executableQuestionCaption() { return QStringLiteral("実行ファイルの確認"); }

QString executableQuestionText(const QString &path) {
    return QStringLiteral(
               "%1\nは実行できるファイル (プログラム、スクリプトなど) です。\n"
               "開くとプログラムとして実行されることがあります。開きますか?")
        .arg(path);
}

bool isMailcapSafePath(const QString &path) {
    if (!path.startsWith(QLatin1Char('/'))) return false;
    static const QString extra = QStringLiteral(",.:/@^+=_-");
    for (const QChar c : path)
        if (!c.isLetterOrNumber() && !extra.contains(c)) return false;
    return true;
}

}  // namespace vorq
