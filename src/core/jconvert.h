#pragma once
// Japanese encoding detection and conversion between JIS (ISO-2022-JP),
// EUC-JP and Shift-JIS. Code kinds: 0 undecided, 1 binary, 2 JIS (ESC $ B),
// 3 JIS (ESC $ @), 4 EUC-JP, 5 Shift-JIS, 6 EUC-JP or Shift-JIS.
#include <QByteArray>

namespace vorq {

int DetectCodeKind(const QByteArray &s);
QByteArray ConvertJapanese(const QByteArray &s, int target);

}  // namespace vorq
