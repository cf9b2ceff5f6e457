#pragma once

#include <QColor>
#include <QVector>

#include <functional>

class QPainter;
class QSize;

namespace kq::platform {

struct Band
{
    int top = 0;    // twips
    int height = 0; // twips
    int width = 0;  // twips
    QColor color;
};

// The 63 bands of the background gradient, in drawing order. R, G and B are
// the start colour and end as the colour after the last band. Throws
// std::overflow_error when a position or size leaves the 16-bit range; the
// bands computed before that are in `done`.
QVector<Band> gradientBands(int heightTwips, int widthTwips, int &R, int &G, int &B, bool invertido,
                            float passo, QVector<Band> *done = nullptr);

void paintBands(QPainter &painter, const QVector<Band> &bands);

// Runs a gradient step; an overflow of the old 16-bit geometry is ignored,
// as the old resize and paint handlers ignored it.
void ignoreGradientOverflow(const std::function<void()> &step);

// Paints the gradient over a widget of `size` pixels from the start colour;
// past the 16-bit geometry, the bands computed before the overflow.
void paintGradient(QPainter &painter, const QSize &size, int R, int G, int B, bool invertido,
                   float passo);

// Banker's rounding, as the old runtime's CInt/Round.
int roundHalfEven(double value);

constexpr int kTwipsPerPixel = 15;
inline int twipsToPixels(int twips)
{
    return twips / kTwipsPerPixel;
}
inline int pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

} // namespace kq::platform
