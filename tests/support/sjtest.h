#pragma once
// Test helpers: Shift-JIS literals from UTF-8 source text, temp folders.
#include <QByteArray>
#include <QString>
#include <initializer_list>

#include "core/text/sjistext.h"

inline QByteArray sj(const char *utf8) { return vorq::sjis::fromUnicode(QString::fromUtf8(utf8)); }
inline QString u8(const char *utf8) { return QString::fromUtf8(utf8); }
// Bytes given by their codes.
inline QByteArray bytes(std::initializer_list<int> codes) {
    QByteArray out;
    for (int c : codes) out += char(c);
    return out;
}
