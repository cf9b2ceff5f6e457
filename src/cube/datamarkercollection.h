#pragma once

#include "cube/rules/datamarker.h"

#include <QString>
#include <memory>
#include <vector>

namespace kq::cube {

// The data markers of one cube screen, in the order they were added.
// Positions run from 1 to Count(); removing a marker moves the later ones
// down. A marker may carry a key, unique within the collection.
// Failures raise kq::platform::RuntimeError with the collection errors of the
// old runtime: 457 for a key in use, 9 for a position out of range, 5 for a
// key not in use.
class DataMarkerCollection
{
public:
    DataMarkerCollection() = default;
    DataMarkerCollection(const DataMarkerCollection &) = delete;
    DataMarkerCollection &operator=(const DataMarkerCollection &) = delete;

    // Note the order: LowValue before HighValue. The range is not checked.
    dataMarker *Add(qint32 ForeColor, qint32 BackColor, double LowValue, double HighValue,
                    const QString &dataFieldName, const QString &sKey = QString());
    dataMarker *Item(int position) const;
    dataMarker *Item(const QString &key) const;
    int Count() const { return int(m_items.size()); }
    void Remove(int position);
    void Remove(const QString &key);

    // Walks the markers in position order (for range-for).
    class const_iterator
    {
    public:
        using Base = std::vector<std::pair<QString, std::unique_ptr<dataMarker>>>::const_iterator;
        explicit const_iterator(Base it)
            : m_it(it)
        {}
        dataMarker &operator*() const { return *m_it->second; }
        dataMarker *operator->() const { return m_it->second.get(); }
        const_iterator &operator++()
        {
            ++m_it;
            return *this;
        }
        bool operator!=(const const_iterator &o) const { return m_it != o.m_it; }

    private:
        Base m_it;
    };
    const_iterator begin() const { return const_iterator(m_items.cbegin()); }
    const_iterator end() const { return const_iterator(m_items.cend()); }

    // The marker added last among those of fieldName whose range holds value;
    // nullptr when none does. This is the one that colours the cell.
    const dataMarker *lastMatch(const QString &fieldName, double value) const;

private:
    int indexOfKey(const QString &key) const;

    std::vector<std::pair<QString, std::unique_ptr<dataMarker>>> m_items;
};

} // namespace kq::cube

namespace kq::platform {
class CubeModel;
struct CubeCell;
} // namespace kq::platform

namespace kq::cube {

// The cube screen's per-cell format handler: the cell's data field is the
// one at position |dataFieldNumber| - 1; every marker of that field (by name,
// exact) whose range holds the value gives the cell its colours, so the one
// added last wins. A cell whose data field cannot be found keeps its colours.
void formatCellWithMarkers(kq::platform::CubeCell &cell, kq::platform::CubeModel &cube,
                           const DataMarkerCollection &markers);

} // namespace kq::cube
