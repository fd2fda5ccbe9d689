#include "chartstore.h"

#include "errors.h"
#include "sjistext.h"

namespace vorq {

namespace {
// 年, 月, 日 in Shift-JIS.
const QByteArray kNen("\x94\x4e", 2);
const QByteArray kGatsu("\x8c\x8e", 2);
const QByteArray kNichi("\x93\xfa", 2);
}  // namespace

QDate firstBroadcastDate() { return QDate(1995, 4, 8); }

QByteArray dateLabelFromTag(int tag) {
    const int y = tag / 10000, m = (tag % 10000) / 100, d = tag % 100;
    return QByteArray::number(y).rightJustified(4, '0') + kNen +
           QByteArray::number(m).rightJustified(2, '0') + kGatsu +
           QByteArray::number(d).rightJustified(2, '0') + kNichi;
}

QByteArray dateLabel(const QDate &d) { return dateLabelFromTag(dateTag(d)); }

std::optional<QDate> dateFromLabel(const QByteArray &label) {
    // yyyy 年 mm 月 dd 日: 14 bytes in Shift-JIS.
    if (label.size() != 14 || label.mid(4, 2) != kNen || label.mid(8, 2) != kGatsu ||
        label.mid(12, 2) != kNichi)
        return std::nullopt;
    bool ok1 = false, ok2 = false, ok3 = false;
    const int y = label.left(4).toInt(&ok1), m = label.mid(6, 2).toInt(&ok2),
              d = label.mid(10, 2).toInt(&ok3);
    if (!ok1 || !ok2 || !ok3) return std::nullopt;
    const QDate date(y, m, d);
    if (!date.isValid()) return std::nullopt;
    return date;
}

QByteArray dateKey(const QDate &d) { return QByteArray::number(dateTag(d)).rightJustified(8, '0'); }

int dateTag(const QDate &d) { return d.year() * 10000 + d.month() * 100 + d.day(); }

const QByteArray &ChartEntry::field(int i) const {
    switch (i) {
        case 0: return rank;
        case 1: return title;
        case 2: return artist;
        case 3: return file;
        default: return method;
    }
}

QByteArray &ChartEntry::field(int i) { return const_cast<QByteArray &>(std::as_const(*this).field(i)); }

}  // namespace vorq
