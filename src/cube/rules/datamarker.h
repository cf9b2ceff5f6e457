#pragma once

#include <QString>
#include <QtGlobal>

namespace kq::cube {

// A colour range on one data field of the cube: cells of that data field
// whose value lies from LowValue to HighValue, both included, are drawn in
// ForeColor on BackColor. Colours are Windows RGB values (red in the low byte).
class dataMarker
{
public:
    qint32 ForeColor = 0;
    qint32 BackColor = 0;
    double HighValue = 0;
    double LowValue = 0;
    QString dataFieldName; // the data field's name, not its caption

    bool matches(const QString &fieldName, double value) const
    {
        return dataFieldName == fieldName && LowValue <= value && value <= HighValue;
    }
};

} // namespace kq::cube
