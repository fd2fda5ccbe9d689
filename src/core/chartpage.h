#pragma once
// The chart page parser: cuts the ranking table of a chart page into a grid.
#include <QByteArray>

namespace vorq {}
