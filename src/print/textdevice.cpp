#include "print/textdevice.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QTextBoundaryFinder>

TextDevice::TextDevice(QPagedPaintDevice *device) : m_device(device), m_font(listFont()) {}

TextDevice::~TextDevice() { end(); }

QFont TextDevice::listFont() {
    QFont f;
    f.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"),
                   QStringLiteral("IPAゴシック"), QStringLiteral("Noto Sans Mono CJK JP"),
                   QStringLiteral("VL Gothic"), QStringLiteral("monospace")});
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPointSize(10);
    return f;
}

void TextDevice::setFont(const QFont &font) { m_font = font; }

bool TextDevice::begin() {
    if (!m_painter.begin(m_device)) return false;
    m_painter.setFont(m_font);
    m_painter.setPen(m_color);
    m_x = m_y = m_lineExtent = 0;
    m_pages = 1;
    m_pageDue = false;
    return true;
}

void TextDevice::end() {
    if (m_painter.isActive()) m_painter.end();
}

void TextDevice::setColor(const QColor &c) {
    m_color = c;
    if (m_painter.isActive()) m_painter.setPen(c);
}

void TextDevice::setBold(bool bold) {
    m_font.setBold(bold);
    if (m_painter.isActive()) m_painter.setFont(m_font);
}

int TextDevice::pageWidth() const { return m_device->width(); }
int TextDevice::pageHeight() const { return m_device->height(); }

void TextDevice::write(const QString &text) {
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text.at(i) != QLatin1Char('\t')) continue;
        if (i > start) writePiece(text.mid(start, i - start));
        if (i < text.size()) {
            const int stop = 8 * QFontMetrics(m_painter.font(), m_device).averageCharWidth();
            const int next = stop > 0 ? (m_x / stop + 1) * stop : m_x;
            if (next > pageWidth())
                newLine();
            else
                m_x = next;
        }
        start = i + 1;
    }
}

void TextDevice::drawAt(const QString &text) {
    if (m_pageDue) {
        m_device->newPage();
        ++m_pages;
        m_pageDue = false;
    }
    const QFontMetrics fm(m_painter.font(), m_device);
    m_painter.drawText(m_x, m_y + fm.ascent(), text);
    m_x += fm.horizontalAdvance(text);
    m_lineExtent = std::max(m_lineExtent, fm.height());
}

void TextDevice::writePiece(QString piece) {
    const QFontMetrics fm(m_painter.font(), m_device);
    while (!piece.isEmpty()) {
        const int room = pageWidth() - m_x;
        if (fm.horizontalAdvance(piece) <= room) {
            drawAt(piece);
            return;
        }
        // The longest prefix that fits, cut between characters (never
        // inside a surrogate pair or a combined character).
        QTextBoundaryFinder bf(QTextBoundaryFinder::Grapheme, piece);
        qsizetype fit = 0;
        for (qsizetype p = bf.toNextBoundary(); p > 0; p = bf.toNextBoundary()) {
            if (fm.horizontalAdvance(piece.left(p)) > room) break;
            fit = p;
        }
        if (fit == 0) {
            if (m_x > 0) {
                newLine();
                continue;
            }
            // Not even one character fits a whole line: print it anyway.
            bf.toStart();
            fit = std::max<qsizetype>(bf.toNextBoundary(), 1);
        }
        drawAt(piece.left(fit));
        piece.remove(0, fit);
        newLine();
    }
}

void TextDevice::newLine() {
    if (!m_painter.isActive()) return;
    const QFontMetrics fm(m_painter.font(), m_device);
    const int lineHeight = m_lineExtent > 0 ? m_lineExtent + 2 : fm.height();
    m_x = 0;
    m_y += lineHeight;
    m_lineExtent = 0;
    if (m_y + 2 * lineHeight > pageHeight()) {
        // The page is started when something is written on it, so a list
        // that ends at a page break leaves no blank page behind.
        m_pageDue = true;
        m_y = 0;
    }
}
