// Ini text: parsing any bytes must not crash, and what is written back must
// read back the same (writing is idempotent), also after a key is written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QByteArray>
#include <QList>

#include "core/settings/inifile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    vorq::TMemIniFile ini{QByteArray()};
    ini.setContent(input);

    QList<QByteArray> sections, keys;
    ini.ReadSections(sections);
    for (const QByteArray &section : sections) {
        ini.ReadSection(section, keys);
        for (const QByteArray &key : keys) {
            ini.ReadInteger(section, key, 7);
            ini.ReadBool(section, key, true);
        }
    }

    const QByteArray once = ini.content();
    vorq::TMemIniFile again{QByteArray()};
    again.setContent(once);
    if (again.content() != once) std::abort();

    // A write through the public interface keeps the file parseable the same.
    const QByteArray section = sections.isEmpty() ? QByteArray("S") : sections.first();
    try {
        again.WriteString(section, "k", input.left(32));
    } catch (const vorq::Error &) {
        return 0;  // refused: the value would have changed the structure
    }
    vorq::TMemIniFile third{QByteArray()};
    third.setContent(again.content());
    if (third.content() != again.content()) std::abort();
    if (third.ReadString(section, "k", "?") != input.left(32)) std::abort();
    return 0;
}
