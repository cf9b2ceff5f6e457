#pragma once

#include "cube/dynamicubehelpermethods.h"

#include <QPointer>
#include <QString>
#include <memory>

namespace kq::platform {
class DCube;
class MSChart;
} // namespace kq::platform

namespace kq::cube {

// Exports a cube to a chart's data or to the clipboard as delimited text.
class DynamiCubeExports
{
public:
    void Init(kq::platform::DCube *cube);

    // The cube's current block as chart data, legend on. Any failure is
    // reported as "Could not export chart !".
    void ExportToMSChart(kq::platform::MSChart *chartTarget);
    // The whole cube as text: every cell followed by the delimiter, every line
    // ended by CR LF; values in the user's regional settings.
    void ExportToClipboard(const QString &delimiter = QStringLiteral("\t"));

private:
    QString clipboardText(const QString &delimiter) const;
    kq::platform::DCube &dc() const;

    QPointer<kq::platform::DCube> m_cube;
    std::unique_ptr<DynamiCubeHelperMethods> m_methods;
};

} // namespace kq::cube
