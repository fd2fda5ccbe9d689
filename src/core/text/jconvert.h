#pragma once
// Japanese encoding detection and conversion between JIS (ISO-2022-JP),
// EUC-JP and Shift-JIS, without tables except for half-width katakana.
// Code kinds: 0 undecided, 1 binary, 2 JIS (ESC $ B), 3 JIS (ESC $ @),
// 4 EUC-JP, 5 Shift-JIS, 6 EUC-JP or Shift-JIS.
//
// Texts are read as if followed by zero bytes: a lead byte or escape in the
// last position is completed with 0 rather than dropped.
#include <QByteArray>
#include <utility>

namespace vorq {

enum CodeKind : int {
    CodeUndecided = 0,
    CodeBinary = 1,
    CodeJis = 2,
    CodeJis78 = 3,
    CodeEuc = 4,
    CodeSjis = 5,
    CodeEucOrSjis = 6,
};

int DetectCodeKind(const QByteArray &s);

// Converts s to the target code kind (2 JIS, 4 EUC-JP, 5 Shift-JIS). Binary,
// undecided, already-target texts and other targets come back unchanged.
// The output is never longer than 5 times the input plus 8 bytes.
QByteArray ConvertJapanese(const QByteArray &s, int target);

// The published row/cell arithmetic of JIS X 0208 (bytes, modulo 256).
std::pair<unsigned char, unsigned char> JisToSjis(unsigned char a, unsigned char b);
std::pair<unsigned char, unsigned char> SjisToJis(unsigned char a, unsigned char b);

// Half-width katakana at s[pos] (EUC-JP: the SS2 byte 0x8E at s[pos];
// Shift-JIS: the katakana byte itself) with a following voiced or semi-voiced
// sound mark, as one JIS X 0208 pair. pos is advanced past what was used.
std::pair<unsigned char, unsigned char> HalfKanaToJisEuc(const QByteArray &s, qsizetype &pos);
std::pair<unsigned char, unsigned char> HalfKanaToJisSjis(const QByteArray &s, qsizetype &pos);

}  // namespace vorq
