#include "data/recordset.h"
#include "data/recordset_p.h"

#include "data/rowstream.h"

#include <QDate>

#include <cstring>

namespace kq::data {

namespace internal {

// Room for n more bytes at the end of out, growing by halves so that
// loading many rows costs few reallocations; returns where to write.
char *grow(QByteArray &out, qsizetype n)
{
    const qsizetype at = out.size();
    if (at + n > out.capacity())
        out.reserve(qMax(at + n, out.capacity() + out.capacity() / 2 + 4096));
    out.resize(at + n);
    return out.data() + at;
}

void appendCell(QByteArray &out, sqlite3_stmt *stmt, int i)
{
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(stmt, i);
        char *p = grow(out, 9);
        *p = char(TagInt);
        std::memcpy(p + 1, &v, sizeof v);
        break;
    }
    case SQLITE_FLOAT: {
        const double v = sqlite3_column_double(stmt, i);
        char *p = grow(out, 9);
        *p = char(TagReal);
        std::memcpy(p + 1, &v, sizeof v);
        break;
    }
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        const bool text = sqlite3_column_type(stmt, i) == SQLITE_TEXT;
        const void *data = text ? static_cast<const void *>(sqlite3_column_text(stmt, i))
                                : sqlite3_column_blob(stmt, i);
        const quint32 n = quint32(sqlite3_column_bytes(stmt, i));
        char *p = grow(out, 5 + qsizetype(n));
        *p = char(text ? TagText : TagBlob);
        std::memcpy(p + 1, &n, sizeof n);
        if (n)
            std::memcpy(p + 5, data, n);
        break;
    }
    default:
        *grow(out, 1) = char(TagNull);
    }
}

void appendCell(QByteArray &out, const RowStream &rows, int i)
{
    switch (rows.type(i)) {
    case RowStream::Type::Integer: {
        const qint64 v = rows.integer(i);
        char *p = grow(out, 9);
        *p = char(TagInt);
        std::memcpy(p + 1, &v, sizeof v);
        break;
    }
    case RowStream::Type::Real: {
        const double v = rows.real(i);
        char *p = grow(out, 9);
        *p = char(TagReal);
        std::memcpy(p + 1, &v, sizeof v);
        break;
    }
    case RowStream::Type::Text:
    case RowStream::Type::Blob: {
        const QByteArrayView b = rows.bytes(i);
        const quint32 n = quint32(b.size());
        char *p = grow(out, 5 + qsizetype(n));
        *p = char(rows.type(i) == RowStream::Type::Text ? TagText : TagBlob);
        std::memcpy(p + 1, &n, sizeof n);
        if (n)
            std::memcpy(p + 5, b.data(), n);
        break;
    }
    case RowStream::Type::Null:
        *grow(out, 1) = char(TagNull);
    }
}

qsizetype cellSize(const char *c)
{
    switch (*c) {
    case TagInt:
    case TagReal:
        return 9;
    case TagText:
    case TagBlob: {
        quint32 n;
        std::memcpy(&n, c + 1, sizeof n);
        return 5 + qsizetype(n);
    }
    default:
        return 1;
    }
}

qint64 cellInt(const char *c)
{
    qint64 v;
    std::memcpy(&v, c + 1, sizeof v);
    return v;
}

double cellReal(const char *c)
{
    double v;
    std::memcpy(&v, c + 1, sizeof v);
    return v;
}

QByteArrayView cellBytes(const char *c)
{
    quint32 n;
    std::memcpy(&n, c + 1, sizeof n);
    return QByteArrayView(c + 5, qsizetype(n));
}

} // namespace internal

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
