#pragma once
// Prints a song list's print layout on a text device: the header black and
// bold, then the rows regular, red when the row has an associated file.
#include <functional>

#include "core/lists/listoutput.h"

class QPagedPaintDevice;

namespace vorq {

// Returns the number of pages. The document is ended on every path; throws
// FileError when the device cannot be opened. progress, when given, hears
// the share of rows printed (0..100) each time it grows.
int printList(QPagedPaintDevice *device, const PrintLayout &layout, const ListRows &rows,
              const std::function<void(int percent)> &progress = {});

}  // namespace vorq
