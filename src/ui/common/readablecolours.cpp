#include "ui/common/readablecolours.h"

#include <QApplication>
#include <QPainter>
#include <cmath>

namespace vorq::colours {

namespace {

double channel(int value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// The luminance at which black and white stand equally far: above it dark
// text reads better, below it light text.
constexpr double kMidLuminance = 0.179;

QColor withLightness(const QColor &c, double lightness) {
    return QColor::fromHslF(c.hslHueF(), c.hslSaturationF(), float(lightness));
}

QColor opaqueOver(const QColor &c, const QColor &ground) {
    if (c.alpha() == 255) return c;
    const double a = c.alphaF();
    return QColor::fromRgbF(float(c.redF() * a + ground.redF() * (1 - a)),
                            float(c.greenF() * a + ground.greenF() * (1 - a)),
                            float(c.blueF() * a + ground.blueF() * (1 - a)));
}

}  // namespace

double luminance(const QColor &c) {
    const QColor rgb = c.toRgb();
    return 0.2126 * channel(rgb.red()) + 0.7152 * channel(rgb.green()) + 0.0722 * channel(rgb.blue());
}

double contrast(const QColor &a, const QColor &b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor &wanted, const QColor &ground, double ratio) {
    const QColor start = opaqueOver(wanted, ground).toRgb();
    if (contrast(start, ground) >= ratio) return start;
    const bool darker = luminance(ground) > kMidLuminance;
    const QColor end = darker ? QColor(Qt::black) : QColor(Qt::white);
    if (contrast(end, ground) < ratio) return end;
    // Lightness moves one way only: the shade nearest the wanted one is the
    // first that passes.
    double from = start.lightnessF(), to = darker ? 0.0 : 1.0;
    for (int i = 0; i < 24; ++i) {
        const double mid = (from + to) / 2;
        if (contrast(withLightness(start, mid), ground) >= ratio)
            to = mid;
        else
            from = mid;
    }
    const QColor shade = withLightness(start, to);
    return contrast(shade, ground) >= ratio ? shade : end;
}

QColor mix(const QColor &a, const QColor &b, double t) {
    const QColor x = a.toRgb(), y = b.toRgb();
    return QColor::fromRgbF(float(x.redF() + (y.redF() - x.redF()) * t),
                            float(x.greenF() + (y.greenF() - x.greenF()) * t),
                            float(x.blueF() + (y.blueF() - x.blueF()) * t));
}

bool isDark(const QPalette &p) {
    return luminance(p.color(QPalette::Active, QPalette::Base)) <
           luminance(p.color(QPalette::Active, QPalette::Text));
}

QPalette readablePalette(QPalette p) {
    using P = QPalette;
    const std::pair<P::ColorRole, P::ColorRole> pairs[] = {{P::Text, P::Base},
                                                           {P::WindowText, P::Window},
                                                           {P::ButtonText, P::Button},
                                                           {P::ToolTipText, P::ToolTipBase},
                                                           {P::PlaceholderText, P::Base},
                                                           {P::Link, P::Base},
                                                           {P::LinkVisited, P::Base},
                                                           {P::Text, P::AlternateBase}};
    for (const P::ColorGroup group : {P::Active, P::Inactive}) {
        for (const auto &[text, ground] : pairs) {
            // An alternate row shares the text colour of the others: shade
            // the row instead.
            if (ground == P::AlternateBase) {
                p.setColor(group, ground, readableOn(p.color(group, ground), p.color(group, text)));
                continue;
            }
            p.setColor(group, text, readableOn(p.color(group, text), p.color(group, ground)));
        }
        p.setColor(group, P::Highlight,
                   readableOn(p.color(group, P::Highlight), p.color(group, P::HighlightedText)));
    }
    return p;
}

void applyReadablePalette() { QApplication::setPalette(readablePalette(QApplication::palette())); }

// The designed colours aim a little above 4.5: thin strokes are drawn with
// anti-aliased edges, and a stroke one pixel wide never shows its full shade.
constexpr double kDesignedRatio = 5.0;

QColor associatedText(const QColor &ground) { return readableOn(QColor(255, 0, 0), ground, kDesignedRatio); }

QColor engravedText(const QPalette &p, const QColor &ground) {
    // The design's grey, halfway between the text and its ground.
    const QColor text = p.color(QPalette::Active, QPalette::ButtonText).toRgb();
    const QColor mid((text.red() + ground.red()) / 2, (text.green() + ground.green()) / 2,
                     (text.blue() + ground.blue()) / 2);
    return readableOn(mid, ground, kDesignedRatio);
}

QColor playingGround(const QPalette &p) {
    // A yellow wash over the rows' ground: pale on light palettes (the
    // design's #fff0a8 on white), a dim amber on dark ones.
    return mix(p.color(QPalette::Active, QPalette::Base), QColor(255, 208, 0), isDark(p) ? 0.22 : 0.34);
}

QIcon glyphIcon(const QStyle *style, QStyle::StandardPixmap which, const QPalette &p) {
    const QIcon drawn = style->standardIcon(which);
    QIcon icon;
    for (const int side : {16, 22, 32, 48}) {
        for (const auto &[mode, group] :
             {std::pair{QIcon::Normal, QPalette::Active}, std::pair{QIcon::Disabled, QPalette::Disabled}}) {
            QPixmap glyph = drawn.pixmap(QSize(side, side), qApp->devicePixelRatio());
            if (glyph.isNull()) continue;
            QPainter paint(&glyph);
            paint.setCompositionMode(QPainter::CompositionMode_SourceIn);
            paint.fillRect(glyph.rect(), p.color(group, QPalette::ButtonText));
            paint.end();
            icon.addPixmap(glyph, mode);
        }
    }
    return icon;
}

}  // namespace vorq::colours
