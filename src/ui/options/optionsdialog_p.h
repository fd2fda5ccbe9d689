#pragma once
// What the options dialog's source files share: page positions and small
// helpers over its controls.
#include <QByteArray>
#include <QString>
#include <QWidget>

#include "core/text/sjistext.h"

namespace vorq::optionsdialog {

// Page positions.
enum Page { kImportPage = 0, kDisplayPage, kAssociationPage, kListPage, kStartupPage, kWebPage, kOtherPage };

inline QString text(const QByteArray &sjisText) { return sjis::toUnicode(sjisText); }

// Whether the control itself is enabled (the dialog may be disabled while
// it works, which must not change what the controls say).
inline bool enabledSelf(const QWidget *w) { return !w->testAttribute(Qt::WA_ForceDisabled); }

}  // namespace vorq::optionsdialog
