#include "core/text/jconvert.h"

namespace vorq {

namespace {

using uchar = unsigned char;

constexpr uchar kEsc = 27;

// Input reader that yields 0 past the end, as if the text were terminated.
struct Input {
    const uchar *p;
    qsizetype n;
    explicit Input(const QByteArray &s) : p(reinterpret_cast<const uchar *>(s.constData())), n(s.size()) {}
    uchar operator[](qsizetype i) const { return i < n ? p[i] : 0; }
};

// Output buffer sized for the worst case up front; writes go through a raw
// pointer so the per-byte cost is a store, not a QByteArray append.
struct Output {
    QByteArray buf;
    uchar *w;
    explicit Output(qsizetype capacity) : buf(capacity, Qt::Uninitialized) {
        w = reinterpret_cast<uchar *>(buf.data());
    }
    void put(uchar c) { *w++ = c; }
    void put(std::pair<uchar, uchar> pr) {
        *w++ = pr.first;
        *w++ = pr.second;
    }
    void put3(uchar a, uchar b, uchar c) {
        *w++ = a;
        *w++ = b;
        *w++ = c;
    }
    QByteArray take() {
        buf.truncate(w - reinterpret_cast<uchar *>(buf.data()));
        return std::move(buf);
    }
};

bool between(uchar x, int lo, int hi) { return x >= lo && x <= hi; }

// JIS X 0201 katakana 0x21-0x5F to the JIS X 0208 cell (row 0x21 for the
// symbols and the prolonged sound mark, row 0x25 for the letters).
constexpr uchar kKanaCell[63] = {
    0x23, 0x56, 0x57, 0x22, 0x26,                                // ｡｢｣､･
    0x72, 0x21, 0x23, 0x25, 0x27, 0x29, 0x63, 0x65, 0x67, 0x43,  // ｦｧｨｩｪｫｬｭｮｯ
    0x3C,                                                        // ｰ
    0x22, 0x24, 0x26, 0x28, 0x2A,                                // ｱｲｳｴｵ
    0x2B, 0x2D, 0x2F, 0x31, 0x33,                                // ｶｷｸｹｺ
    0x35, 0x37, 0x39, 0x3B, 0x3D,                                // ｻｼｽｾｿ
    0x3F, 0x41, 0x44, 0x46, 0x48,                                // ﾀﾁﾂﾃﾄ
    0x4A, 0x4B, 0x4C, 0x4D, 0x4E,                                // ﾅﾆﾇﾈﾉ
    0x4F, 0x52, 0x55, 0x58, 0x5B,                                // ﾊﾋﾌﾍﾎ
    0x5E, 0x5F, 0x60, 0x61, 0x62,                                // ﾏﾐﾑﾒﾓ
    0x64, 0x66, 0x68,                                            // ﾔﾕﾖ
    0x69, 0x6A, 0x6B, 0x6C, 0x6D,                                // ﾗﾘﾙﾚﾛ
    0x6F, 0x73,                                                  // ﾜﾝ
    0x2B, 0x2C,                                                  // ﾞﾟ
};

// k: the katakana byte with its top bit cleared; mark: the following sound
// mark byte (0xDE, 0xDF) or 0. Sets usedMark when the mark was combined.
std::pair<uchar, uchar> halfKana(uchar k, uchar mark, bool &usedMark) {
    usedMark = false;
    if (k < 33 || k > 95) {
        // Not a katakana at all (malformed SS2 in EUC-JP): the geta mark
        // stands in for it instead of reading outside the table.
        return {0x22, 0x2E};
    }
    uchar t = kKanaCell[k - 33];
    if ((k >= 33 && k <= 37) || k == 48 || k == 94 || k == 95) return {0x21, t};
    if (k == 51 && mark == 0xDE) {
        usedMark = true;
        t = 0x74;
    } else if (k >= 54 && k <= 68 && mark == 0xDE) {
        usedMark = true;
        t += 1;
    } else if (k >= 74 && k <= 78 && (mark == 0xDE || mark == 0xDF)) {
        usedMark = true;
        t += mark == 0xDE ? 1 : 2;
    }
    return {0x25, t};
}

std::pair<uchar, uchar> halfKanaEuc(const Input &in, qsizetype &i) {
    const uchar k = in[i + 1] & 0x7F;
    const uchar mark = in[i + 2] == 142 ? in[i + 3] : 0;
    bool used = false;
    const auto pr = halfKana(k, mark, used);
    i += used ? 4 : 2;
    return pr;
}

std::pair<uchar, uchar> halfKanaSjis(const Input &in, qsizetype &i) {
    const uchar k = in[i] & 0x7F;
    bool used = false;
    const auto pr = halfKana(k, in[i + 1], used);
    i += used ? 2 : 1;
    return pr;
}

// JIS to Shift-JIS (toEuc false) or to EUC-JP (toEuc true).
QByteArray fromJis(const QByteArray &s, bool toEuc) {
    const Input in(s);
    Output out(in.n + 2);
    bool twoByte = false;
    qsizetype i = 0;
    while (i < in.n) {
        if (in[i] == kEsc) {
            const uchar inter = in[i + 1];
            if (inter == '$')
                twoByte = true;
            else if (inter == '(')
                twoByte = false;
            i += 3;
            continue;
        }
        if (!twoByte) {
            out.put(in[i]);
            ++i;
        } else if (toEuc) {
            const uchar x = in[i];
            out.put(x >= 33 && x <= 126 ? uchar(x | 0x80) : x);
            ++i;
        } else {
            out.put(JisToSjis(in[i], in[i + 1]));
            i += 2;
        }
    }
    return out.take();
}

QByteArray eucToSjis(const QByteArray &s) {
    const Input in(s);
    Output out(in.n + 1);
    qsizetype i = 0;
    while (i < in.n) {
        const uchar x = in[i];
        if (x <= 128 || x == 255) {
            out.put(x);
            ++i;
        } else if (x == 142) {
            out.put(in[i + 1]);
            i += 2;
        } else {
            out.put(JisToSjis(x & 0x7F, in[i + 1] & 0x7F));
            i += 2;
        }
    }
    return out.take();
}

QByteArray sjisToEuc(const QByteArray &s) {
    const Input in(s);
    Output out(2 * in.n + 2);
    qsizetype i = 0;
    while (i < in.n) {
        const uchar x = in[i];
        if (x < 128) {
            out.put(x);
            ++i;
        } else if (x >= 161 && x <= 223) {
            out.put(142);
            out.put(x);
            ++i;
        } else {
            const auto pr = SjisToJis(x, in[i + 1]);
            out.put(uchar(pr.first | 0x80));
            out.put(uchar(pr.second | 0x80));
            i += 2;
        }
    }
    return out.take();
}

// EUC-JP (fromEuc true) or Shift-JIS to JIS. Worst case per input byte is
// a three-byte escape plus two bytes, hence 5n.
QByteArray toJis(const QByteArray &s, bool fromEuc) {
    const Input in(s);
    Output out(5 * in.n + 8);
    bool twoByte = false;
    qsizetype i = 0;
    while (i < in.n) {
        const uchar x = in[i];
        if (x < 128) {
            if (twoByte) {
                out.put3(kEsc, '(', 'J');
                twoByte = false;
            }
            out.put(x);
            ++i;
            continue;
        }
        if (!twoByte) {
            out.put3(kEsc, '$', 'B');
            twoByte = true;
        }
        if (fromEuc && x == 142) {
            out.put(halfKanaEuc(in, i));
        } else if (!fromEuc && x >= 161 && x <= 223) {
            out.put(halfKanaSjis(in, i));
        } else {
            if (fromEuc) {
                out.put(uchar(x & 0x7F));
                out.put(uchar(in[i + 1] & 0x7F));
            } else {
                out.put(SjisToJis(x, in[i + 1]));
            }
            i += 2;
        }
    }
    return out.take();
}

}  // namespace

std::pair<unsigned char, unsigned char> JisToSjis(unsigned char a, unsigned char b) {
    const int first = ((a + 1) >> 1) + (a < 0x5F ? 0x70 : 0xB0);
    int second;
    if (a % 2 == 0)
        second = b + 0x7E;
    else
        second = b <= 0x5F ? b + 0x1F : b + 0x20;
    return {uchar(first), uchar(second)};
}

std::pair<unsigned char, unsigned char> SjisToJis(unsigned char a, unsigned char b) {
    int first = 2 * (a - (a < 0xA0 ? 0x70 : 0xB0));
    int second;
    if (b < 0x9F) {
        second = b <= 0x7F ? b - 0x1F : b - 0x20;
        first -= 1;
    } else {
        second = b - 0x7E;
    }
    return {uchar(first), uchar(second)};
}

std::pair<unsigned char, unsigned char> HalfKanaToJisEuc(const QByteArray &s, qsizetype &pos) {
    return halfKanaEuc(Input(s), pos);
}

std::pair<unsigned char, unsigned char> HalfKanaToJisSjis(const QByteArray &s, qsizetype &pos) {
    return halfKanaSjis(Input(s), pos);
}

int DetectCodeKind(const QByteArray &s) {
    const Input in(s);
    const qsizetype n = in.n;
    // Positions below are 0-based; the prescan covers 1-based 1..512 short of
    // the last byte.
    for (qsizetype i = 0; i < 512 && i + 1 < n; ++i) {
        const uchar x = in[i];
        if (x < 8 || x == 255) return CodeBinary;
    }
    int result = CodeUndecided;
    qsizetype j = 0;
    while ((result == CodeUndecided || result == CodeEucOrSjis) && j + 1 < n) {
        uchar x = in[j];
        if (x == kEsc) {
            x = in[++j];
            if (x == '$') {
                x = in[++j];
                if (x == 'B')
                    result = CodeJis;
                else if (x == '@')
                    result = CodeJis78;
            }
        } else if (x < 8 || x == 255) {
            result = CodeBinary;
        } else if (x <= 127) {
            // ASCII tells nothing
        } else if (between(x, 129, 141) || between(x, 143, 159)) {
            result = CodeSjis;
        } else if (x == 142) {
            x = in[++j];
            if (between(x, 64, 126) || between(x, 128, 160) || between(x, 224, 252))
                result = CodeSjis;
            else if (between(x, 161, 223))
                result = CodeEucOrSjis;
        } else if (between(x, 161, 223)) {
            x = in[++j];
            if (between(x, 240, 254)) {
                result = CodeEuc;
            } else if (between(x, 161, 223)) {
                result = CodeEucOrSjis;
            } else if (between(x, 224, 239)) {
                result = CodeEucOrSjis;
                // 1-based "j <= length" is 0-based j < n.
                while (x >= 64 && j < n && result == CodeEucOrSjis) {
                    if (between(x, 129, 141) || between(x, 143, 156))
                        result = CodeSjis;
                    else if (x == 253 || x == 254)
                        result = CodeEuc;
                    x = in[++j];
                }
            } else if (x <= 159) {
                result = CodeSjis;
            }
        } else if (between(x, 240, 254)) {
            result = CodeEuc;
        } else if (between(x, 224, 239)) {
            x = in[++j];
            if (between(x, 64, 126) || between(x, 128, 160))
                result = CodeSjis;
            else if (x == 253 || x == 254)
                result = CodeEuc;
            else if (between(x, 161, 252))
                result = CodeEucOrSjis;
        }
        ++j;
    }
    return result;
}

QByteArray ConvertJapanese(const QByteArray &s, int target) {
    const int k = DetectCodeKind(s);
    if (k < CodeJis || k == target || k == CodeEucOrSjis) return s;
    const bool jis = k == CodeJis || k == CodeJis78;
    switch (target) {
        case CodeSjis:
            if (jis) return fromJis(s, false);
            if (k == CodeEuc) return eucToSjis(s);
            return s;
        case CodeEuc:
            if (jis) return fromJis(s, true);
            if (k == CodeSjis) return sjisToEuc(s);
            return s;
        case CodeJis:
            if (k == CodeEuc) return toJis(s, true);
            if (k == CodeSjis) return toJis(s, false);
            return s;
        default: return s;
    }
}

}  // namespace vorq
