#include "ui/common/accessiblenames.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QRegularExpression>

namespace vorq {

QString spokenText(const QString &labelText) {
    static const QRegularExpression mnemonic(QStringLiteral("\\(&[^)]\\)|&(?=[^&])"));
    static const QRegularExpression colon(QStringLiteral("[:：]\\s*$"));
    QString text = labelText;
    text.remove(mnemonic);
    text.replace(QStringLiteral("&&"), QStringLiteral("&"));
    return text.remove(colon).trimmed();
}

void nameAfter(QLabel *label, QWidget *control) {
    label->setBuddy(control);
    if (qobject_cast<QAbstractItemView *>(control)) control->setAccessibleName(spokenText(label->text()));
}

}  // namespace vorq
