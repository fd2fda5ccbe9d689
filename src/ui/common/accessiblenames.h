#pragma once
// Names for screen readers. A control beside a label takes the label as its
// buddy: Alt and the label's mnemonic reach it, and a screen reader reads
// the label as its name. Item views (lists, tables, trees) do not read a
// buddy, so they get the label's text as their accessible name as well.
#include <QString>

class QLabel;
class QWidget;

namespace vorq {

// The label's text as a screen reader should say it: without the mnemonic
// ("再生する曲(&Q)" says "再生する曲") or a trailing colon.
QString spokenText(const QString &labelText);

// Makes label the buddy of control and, for an item view, names it.
void nameAfter(QLabel *label, QWidget *control);

}  // namespace vorq
