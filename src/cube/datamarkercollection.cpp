#include "cube/datamarkercollection.h"

#include "cube/model/cubemodel.h"
#include "core/errorinfo.h"

#include <cstdlib>

namespace kq::cube {

using kq::platform::RuntimeError;

namespace {
const QString kSource = QStringLiteral("DataMarkerCollection");
}

dataMarker *DataMarkerCollection::Add(qint32 ForeColor, qint32 BackColor, double LowValue,
                                      double HighValue, const QString &dataFieldName,
                                      const QString &sKey)
{
    if (!sKey.isEmpty() && indexOfKey(sKey) >= 0)
        throw RuntimeError(457,
                           QStringLiteral("This key is already associated with an element "
                                          "of this collection"),
                           kSource);
    auto marker = std::make_unique<dataMarker>();
    marker->ForeColor = ForeColor;
    marker->BackColor = BackColor;
    marker->LowValue = LowValue;
    marker->HighValue = HighValue;
    marker->dataFieldName = dataFieldName;
    dataMarker *out = marker.get();
    m_items.emplace_back(sKey, std::move(marker));
    return out;
}

dataMarker *DataMarkerCollection::Item(int position) const
{
    if (position < 1 || position > Count())
        throw RuntimeError(9, QStringLiteral("Subscrito fora do intervalo"), kSource);
    return m_items[size_t(position - 1)].second.get();
}

dataMarker *DataMarkerCollection::Item(const QString &key) const
{
    const int i = indexOfKey(key);
    if (i < 0)
        throw RuntimeError(5, QStringLiteral("Chamada de procedimento ou argumento inválido"),
                           kSource);
    return m_items[size_t(i)].second.get();
}

void DataMarkerCollection::Remove(int position)
{
    if (position < 1 || position > Count())
        throw RuntimeError(9, QStringLiteral("Subscrito fora do intervalo"), kSource);
    m_items.erase(m_items.begin() + (position - 1));
}

void DataMarkerCollection::Remove(const QString &key)
{
    const int i = indexOfKey(key);
    if (i < 0)
        throw RuntimeError(5, QStringLiteral("Chamada de procedimento ou argumento inválido"),
                           kSource);
    m_items.erase(m_items.begin() + i);
}

const dataMarker *DataMarkerCollection::lastMatch(const QString &fieldName, double value) const
{
    const dataMarker *found = nullptr;
    for (const dataMarker &m : *this) {
        if (m.matches(fieldName, value))
            found = &m;
    }
    return found;
}

int DataMarkerCollection::indexOfKey(const QString &key) const
{
    if (key.isEmpty())
        return -1;
    for (size_t i = 0; i < m_items.size(); ++i) {
        // Keys compare as the old collections did: without regard to case.
        if (m_items[i].first.compare(key, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

void formatCellWithMarkers(kq::platform::CubeCell &cell, kq::platform::CubeModel &cube,
                           const DataMarkerCollection &markers)
{
    if (cell.dataFieldNumber == 0 || markers.Count() == 0)
        return;
    const auto *field = cube.dataFields()->itemByPosition(std::abs(cell.dataFieldNumber) - 1);
    if (!field)
        return;
    if (const dataMarker *m = markers.lastMatch(field->name(), cell.value)) {
        cell.backColor = m->BackColor;
        cell.foreColor = m->ForeColor;
    }
}

} // namespace kq::cube
