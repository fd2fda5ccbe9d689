#pragma once
// Colours that stay readable in whatever palette the desktop gives: light,
// dark or high contrast. Text must stand 4.5:1 from its ground (WCAG AA);
// the designed colours (red associated rows, engraved dates, the playing
// row) are shaded per palette rather than fixed.
#include <QColor>
#include <QIcon>
#include <QPalette>
#include <QStyle>

namespace vorq::colours {

// WCAG's relative luminance (0 black .. 1 white) and contrast ratio (1..21).
double luminance(const QColor &c);
double contrast(const QColor &a, const QColor &b);

// The shade of wanted (its hue and saturation kept) nearest to it that
// stands ratio from ground: darker on a light ground, lighter on a dark one.
// Black or white when no shade of the hue can.
QColor readableOn(const QColor &wanted, const QColor &ground, double ratio = 4.5);

// a moved towards b by t (0: a, 1: b).
QColor mix(const QColor &a, const QColor &b, double t);

// Whether the palette draws light text on dark grounds.
bool isDark(const QPalette &p);

// The palette with every text readable on its ground in the active and
// inactive groups (disabled text stays greyed: that is its meaning). A
// selection keeps its text colour and gets a deeper or paler highlight.
QPalette readablePalette(QPalette p);
// Makes the application's palette readable; vorqview does this at start.
void applyReadablePalette();

// The designed colours for a palette and the ground they are drawn on.
QColor associatedText(const QColor &ground);                   // the red of associated rows
QColor engravedText(const QPalette &p, const QColor &ground);  // a date without a chart
QColor playingGround(const QPalette &p);                       // the row the player plays

// One of the style's glyph icons (the media controls come drawn black) in
// the palette's button text, so it shows on a dark button too.
QIcon glyphIcon(const QStyle *style, QStyle::StandardPixmap which, const QPalette &p);

}  // namespace vorq::colours
