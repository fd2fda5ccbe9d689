#pragma once
// Prints a song list's print layout on a text device: the header black and
// bold, then the rows regular, red when the row has an associated file.
#include "listoutput.h"

class QPagedPaintDevice;

namespace vorq {

// Returns the number of pages. The document is ended on every path; throws
// FileError when the device cannot be opened.
int printList(QPagedPaintDevice *device, const PrintLayout &layout, const ListRows &rows);

}  // namespace vorq
