#include "data/recordset.h"
#include "data/recordset_p.h"

#include "data/rowstream.h"

#include <QDate>

#include <cstring>

namespace kq::data {

using namespace internal;

const char *Recordset::rawCell(int row, int index) const
{
    const char *c = m_data.constData() + m_rowStart[row];
    for (int i = 0; i < index; ++i)
        c += cellSize(c);
    return c;
}

const char *Recordset::cell(int row, int column) const
{
    return rawCell(row, m_hiddenCells + column);
}

QByteArray Recordset::keyCells(int row, const TableKey &key) const
{
    const char *b = rawCell(row, key.firstCell);
    const char *e = b;
    for (int i = 0; i < key.cellCount; ++i)
        e += cellSize(e);
    return QByteArray(b, e - b);
}

QVariantList Recordset::keyValues(int row, const TableKey &key) const
{
    QVariantList values;
    const char *c = rawCell(row, key.firstCell);
    for (int i = 0; i < key.cellCount; ++i) {
        values << decode(c, Column());
        c += cellSize(c);
    }
    return values;
}

QVariant Recordset::decode(const char *c, const Column &col) const
{
    switch (*c) {
    case TagInt:
        return QVariant(qlonglong(cellInt(c)));
    case TagReal:
        return QVariant(cellReal(c));
    case TagText: {
        const QByteArrayView b = cellBytes(c);
        if (col.isDate && b.size() == 10) {
            const QDate d = QDate::fromString(QString::fromLatin1(b.data(), b.size()), Qt::ISODate);
            if (d.isValid())
                return QVariant(d);
        }
        return QVariant(QString::fromUtf8(b.data(), b.size()));
    }
    case TagBlob: {
        const QByteArrayView b = cellBytes(c);
        return QVariant(QByteArray(b.data(), b.size()));
    }
    default:
        return QVariant();
    }
}

QVariant Recordset::valueAt(int row, int column) const
{
    ensureLoaded();
    if (row < 0 || row >= m_rowStart.size() || column < 0 || column >= m_columns.size())
        return QVariant();
    return decode(cell(row, column), m_columns[column]);
}

QVariant Recordset::field(const QString &name) const
{
    const int i = requireField(name);
    if (m_mode != Mode::None) {
        for (const auto &p : m_pending) {
            if (p.first == i)
                return p.second;
        }
        if (m_mode == Mode::Adding)
            return QVariant();
    }
    requireCurrent();
    return decode(cell(m_pos, i), m_columns[i]);
}

QString Recordset::text(const QString &name) const
{
    const QVariant v = field(name);
    if (!v.isValid() || v.isNull())
        return QString(QLatin1String(""));
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(Qt::ISODate);
    return v.toString();
}

bool Recordset::isNull(const QString &name) const
{
    const QVariant v = field(name);
    return !v.isValid() || v.isNull();
}

} // namespace kq::data
