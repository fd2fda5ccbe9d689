// file.idx reader: any lines are read; the first entry of a key is the one
// found; the lines come back as read, and read as another program's file
// they are held whole.
#include <cstdint>
#include <cstdlib>

#include "core/charts/associationindex.h"
#include "core/charts/chartstore.h"
#include "core/charts/indexmerge.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QList<QByteArray> lines = vorq::lineViews(bytes);
    vorq::ChartStore store;
    store.associations.setLines(lines);
    const auto &entries = store.associations.entries();
    if (entries.size() != lines.size()) std::abort();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const vorq::AssociationEntry *hit = store.associations.lookup(entries[i].key);
        if (entries[i].key.isEmpty()) {
            if (hit) std::abort();
            continue;
        }
        if (!hit || hit->key != entries[i].key || hit > &entries[i]) std::abort();
    }
    if (store.associations.lines() != lines) std::abort();
    if (vorq::applyJournal(lines, vorq::AssociationJournal()) != lines) std::abort();
    vorq::ChartStore fresh;
    vorq::IndexFile disk;
    disk.exists = true;
    disk.data = bytes;
    disk.lines = lines;
    if (vorq::adoptDiskIndex(fresh, disk).loss || fresh.associations.lines() != lines) std::abort();
    return 0;
}
