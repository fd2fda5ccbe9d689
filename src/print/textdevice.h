#pragma once
// A printer used as a text device: text is written at a position that
// starts at the top-left of the printable area and advances by the text's
// width; what runs past the page width is cut at the last character that
// fits and continues on a new line; a line is as high as its tallest text
// plus 2 device units (an empty line: the font's height); a new page starts
// when the next line would come within two line heights of the bottom; a
// tab moves to the next stop (every 8 average character widths), or to a
// new line when that stop lies beyond the page width. No margins, headers,
// footers or page numbers.
#include <QColor>
#include <QFont>
#include <QPainter>
#include <QString>

class QPagedPaintDevice;

class TextDevice {
public:
    explicit TextDevice(QPagedPaintDevice *device);
    ~TextDevice();  // ends the document if still open
    TextDevice(const TextDevice &) = delete;
    TextDevice &operator=(const TextDevice &) = delete;

    // The fixed-pitch list font: "ＭＳ ゴシック", else an installed
    // Japanese monospace font.
    static QFont listFont();

    void setFont(const QFont &font);  // before begin()
    // Starts the document; false when the device cannot be painted on.
    bool begin();
    void end();
    bool isActive() const { return m_painter.isActive(); }

    void setColor(const QColor &c);
    void setBold(bool bold);
    void write(const QString &text);
    void newLine();
    void writeLine(const QString &text) {
        write(text);
        newLine();
    }
    int pageCount() const { return m_pages; }

private:
    void writePiece(QString piece);
    void drawAt(const QString &text);
    int pageWidth() const;
    int pageHeight() const;

    QPagedPaintDevice *m_device;
    QPainter m_painter;
    QFont m_font;
    QColor m_color = Qt::black;
    int m_x = 0, m_y = 0;
    int m_lineExtent = 0;  // tallest text written on the current line
    int m_pages = 0;
    bool m_pageDue = false;  // a page break waits for the next text
};
