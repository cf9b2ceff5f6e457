#pragma once

// A printer that draws nothing but records what a page would show: every
// text run with its font and box, every rectangle and line, page by page. Tests check
// print-outs with it: that each text lies inside the cell drawn around it,
// that no two texts overlap, that no value was cut short.

#include <QFont>
#include <QLineF>
#include <QPageLayout>
#include <QPrinter>
#include <QRectF>
#include <QString>
#include <QVector>
#include <memory>

namespace kq::test {

struct PrintedText
{
    int page = 0; // from 0
    QString text;
    QFont font;
    QRectF box; // advance width, ascent to descent, in device pixels
};

struct PrintedRect
{
    int page = 0;
    QRectF rect;
    bool outlined = false; // drawn with a pen (cell borders), else a fill
};

struct PrintedLine
{
    int page = 0;
    QLineF line;
};

class RecordingPrinter : public QPrinter
{
public:
    explicit RecordingPrinter(QPageLayout::Orientation orientation = QPageLayout::Portrait);
    ~RecordingPrinter() override;

    const QVector<PrintedText> &texts() const;
    const QVector<PrintedRect> &rects() const;
    const QVector<PrintedLine> &lines() const;
    int pages() const;
    // The page's printable area in device pixels.
    QRectF paintRect() const;
    void clear();

    // Runs of one line that touch joined into one text (a value drawn in
    // several runs, say by font fallback), page by page.
    QVector<PrintedText> joinedTexts() const;
    // Faults of a page set: a text that leaves the smallest drawn rectangle
    // it starts in or the printable area, two texts that overlap, an elided
    // text, a font under minPointSize. Empty when the print-out is clean.
    QStringList faults(double minPointSize = 6.0) const;

private:
    class Engine;
    class PaintEngine;
    std::unique_ptr<Engine> m_engine;
    std::unique_ptr<PaintEngine> m_paint;
};

} // namespace kq::test
