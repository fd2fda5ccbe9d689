#include "core/charts/mediumpath.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QStringList>

#include "core/text/sjistext.h"

namespace vorq {

namespace {

bool isInside(const QString &path, const QString &root) {
    if (root == QLatin1String("/")) return path.startsWith(QLatin1Char('/'));
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

QString canonicalOrClean(const QString &path) {
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(QDir(path).absolutePath()) : c;
}

bool holdsAutorun(const QString &dir) {
    // A disc may list the name in capitals; the wizard writes it in lower case.
    static const char *const names[] = {"autorun.inf", "AUTORUN.INF", "Autorun.inf"};
    for (const char *n : names)
        if (QFileInfo(dir + QLatin1Char('/') + QLatin1String(n)).isFile()) return true;
    return false;
}

}  // namespace

bool isMediumRooted(const QByteArray &stored) {
    return stored.startsWith('\\') && !stored.startsWith("\\\\");
}

QString mediumRoot(const QString &programFolder) {
    QString dir = canonicalOrClean(programFolder);
    if (dir.size() > 1 && dir.endsWith(QLatin1Char('/'))) dir.chop(1);
    const QString mount = canonicalOrClean(QStorageInfo(dir).rootPath());
    for (QString d = dir;;) {
        if (holdsAutorun(d)) return d;
        if (d == mount || d == QLatin1String("/") || !isInside(d, mount)) break;
        const QString up = QFileInfo(d).path();
        if (up == d) break;
        d = up;
    }
    return mount.isEmpty() ? QStringLiteral("/") : mount;
}

QString resolveUnderRoot(const QString &relative, const QString &root) {
    QStringList parts;
    static const QRegularExpression separators(QStringLiteral("[\\\\/]"));
    for (const QString &p : relative.split(separators, Qt::SkipEmptyParts)) {
        if (p == QLatin1String(".")) continue;
        if (p == QLatin1String("..")) {
            if (parts.isEmpty()) return {};  // above the medium root
            parts.removeLast();
            continue;
        }
        parts << p;
    }
    QString base = canonicalOrClean(root);
    if (base.size() > 1 && base.endsWith(QLatin1Char('/'))) base.chop(1);
    auto join = [](const QString &a, const QString &b) -> QString {
        if (a == QLatin1String("/")) return a + b;
        return a + QLatin1Char('/') + b;
    };
    // Walk the components so a link anywhere on the way is checked, also one
    // whose target does not exist (creating through it would land outside).
    QString current = base;
    for (const QString &p : parts) {
        const QString next = join(current, p);
        const QFileInfo fi(next);
        if (fi.isSymLink()) {
            const QString target = fi.canonicalFilePath();
            if (target.isEmpty() || !isInside(target, base)) return {};
            current = target;
        } else {
            current = next;
        }
    }
    QString out = base;
    for (const QString &p : parts) out = join(out, p);
    return out;
}

QString resolveAssociatedPath(const QByteArray &stored, const QString &programFolder) {
    const QString text = sjis::path(stored);
    if (!isMediumRooted(stored)) return text;
    return resolveUnderRoot(text, mediumRoot(programFolder));
}

}  // namespace vorq
