#include "platform/gradient.h"

#include <QPainter>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace kq::platform {

int roundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value)); // default rounding mode: half to even
}

namespace {
int checked16(long long v)
{
    if (v < std::numeric_limits<qint16>::min() || v > std::numeric_limits<qint16>::max())
        throw std::overflow_error("Overflow");
    return static_cast<int>(v);
}

int stepDown(int component, float passo)
{
    const int v = roundHalfEven(double(component) - double(passo));
    return v < 1 ? 0 : v;
}
} // namespace

QVector<Band> gradientBands(int heightTwips, int widthTwips, int &R, int &G, int &B, bool invertido,
                            float passo, QVector<Band> *done)
{
    QVector<Band> bands;
    bands.reserve(63);
    auto fail = [&]() {
        if (done)
            *done = bands;
    };
    try {
        const int bandHeight = checked16(roundHalfEven(double(heightTwips) / 63.0));
        int top = invertido ? 0 : checked16(static_cast<long long>(heightTwips) - bandHeight);
        const int width = checked16(widthTwips);
        for (int i = 0; i < 63; ++i) {
            Band band;
            band.top = top;
            band.height = bandHeight;
            band.width = width;
            band.color = QColor(qBound(0, R, 255), qBound(0, G, 255), qBound(0, B, 255));
            bands.append(band);
            R = stepDown(R, passo);
            G = stepDown(G, passo);
            B = stepDown(B, passo);
            top = checked16(invertido ? static_cast<long long>(top) + bandHeight
                                      : static_cast<long long>(top) - bandHeight);
        }
    } catch (...) {
        fail();
        throw;
    }
    if (done)
        *done = bands;
    return bands;
}

void paintBands(QPainter &painter, const QVector<Band> &bands)
{
    for (const Band &band : bands) {
        if (band.height <= 0)
            continue;
        // Bands are laid edge to edge in twips; convert both edges so that
        // rounding leaves no gaps between them.
        const int y0 = twipsToPixels(band.top);
        const int y1 = twipsToPixels(band.top + band.height);
        painter.fillRect(QRect(0, y0, twipsToPixels(band.width) + 1, std::max(1, y1 - y0)),
                         band.color);
    }
}

void ignoreGradientOverflow(const std::function<void()> &step)
{
    try {
        step();
    } catch (const std::overflow_error &) {
        // Too large for the old geometry: what was done before stays.
    }
}

void paintGradient(QPainter &painter, const QSize &size, int R, int G, int B, bool invertido,
                   float passo)
{
    QVector<Band> bands;
    ignoreGradientOverflow([&] {
        bands = gradientBands(pixelsToTwips(size.height()), pixelsToTwips(size.width()), R, G, B,
                              invertido, passo, &bands);
    });
    paintBands(painter, bands);
}

} // namespace kq::platform
