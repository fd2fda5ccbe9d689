#include "core/settings/optionkeys.h"

#include <QDir>
#include <QStandardPaths>
#include <algorithm>

#include "core/charts/chartstore.h"
#include "core/import/importdriver.h"
#include "core/settings/inifile.h"
#include "core/settings/settingstable.h"
#include "core/text/sjistext.h"

namespace vorq::options {

namespace {
QByteArray folderText(const QString &path) {
    QByteArray out;
    if (path.isEmpty() || !sjis::tryFromUnicode(path, &out)) return QByteArray("/");
    if (!out.endsWith('/')) out += '/';
    return out;
}
}  // namespace

QByteArray defaultUrlHome() { return "http://www.vorq.example/vorq/"; }
// One template for the dialog, vorq and the import driver.
QByteArray defaultUrlData() { return defaultUrlTemplate(); }
QByteArray defaultSkipString() { return "<!-- / NO1 -->"; }
QByteArray defaultFileNamePattern() { return "%a-%t.mp3"; }

QByteArray homeFolder() { return folderText(QDir::homePath()); }

QByteArray musicFolder() {
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    return music.isEmpty() ? homeFolder() : folderText(music);
}

int storedDateIndex(const QList<QByteArray> &labels, const QByteArray &stored, DateRole role) {
    if (labels.isEmpty()) return -1;
    const int fallback = role == DateRole::Start ? 0 : int(labels.size()) - 1;
    const int exact = int(labels.indexOf(stored));
    if (exact >= 0) return exact;
    const std::optional<QDate> want = dateFromLabel(stored);
    if (!want || !want->isValid()) return fallback;
    int best = -1;
    qint64 bestDistance = 0;
    for (int i = 0; i < labels.size(); ++i) {
        const std::optional<QDate> d = dateFromLabel(labels[i]);
        if (!d || !d->isValid()) continue;
        const qint64 diff = want->daysTo(*d);  // > 0: the item is later
        const qint64 distance = diff < 0 ? -diff : diff;
        const bool insideRange = role == DateRole::Start ? diff > 0 : diff < 0;
        if (best < 0 || distance < bestDistance || (distance == bestDistance && insideRange)) {
            best = i;
            bestDistance = distance;
        }
    }
    return best < 0 ? fallback : best;
}

int pageDelayMs(const TMemIniFile &ini, int writeMode) {
    const int secs = settings::readInt(ini, settings::Key::PageDelay, writeMode);
    return std::clamp(secs, 0, kMaxPageDelaySeconds) * 1000;
}

QString trustedCaFile(const TMemIniFile &ini, int writeMode) {
    if (!settings::readBool(ini, settings::Key::UseExtraCA, writeMode)) return QString();
    return sjis::path(settings::readText(ini, settings::Key::ExtraCAFile, writeMode));
}

}  // namespace vorq::options
