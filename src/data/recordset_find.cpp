#include "data/recordset.h"
#include "data/recordset_p.h"

#include "data/collation.h"
#include "data/database.h"
#include "data/jetsql.h"
#include "data/numbertext.h"
#include "data/sourceshape_p.h"

#include <algorithm>
#include <cstring>

namespace kq::data {

using namespace internal;

namespace {

bool looksNumeric(const QString &text, double *value)
{
    const std::optional<double> n = readNumber(text, NumberRule::C);
    *value = n.value_or(0.0);
    return n.has_value();
}

bool isNumberType(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

} // namespace

namespace {

// The value a find looks for, as the column's affinity makes it.
struct Wanted
{
    bool number = false;
    bool integral = false;
    qint64 integer = 0;
    double value = 0;
    QByteArray text;
};

QByteArrayView rtrimmed(QByteArrayView v)
{
    while (v.endsWith(' '))
        v.chop(1);
    return v;
}

} // namespace

bool Recordset::cellMatches(const char *p, int collation, const void *wantedValue)
{
    const Wanted &w = *static_cast<const Wanted *>(wantedValue);
    switch (*p) {
    case TagInt:
        return w.number && (w.integral ? cellInt(p) == w.integer : double(cellInt(p)) == w.value);
    case TagReal:
        return w.number && cellReal(p) == w.value;
    case TagText: {
        if (w.number)
            return false;
        const QByteArrayView b = cellBytes(p);
        switch (Collation(collation)) {
        case Collation::PtBr:
            return compareTextUtf8(b, w.text) == 0;
        case Collation::NoCase:
            return compareNoCaseUtf8(b, w.text) == 0;
        case Collation::RTrim:
            return compareBinaryUtf8(rtrimmed(b), rtrimmed(w.text)) == 0;
        case Collation::Binary:
            return compareBinaryUtf8(b, w.text) == 0;
        }
        return false;
    }
    default:
        return false;
    }
}

quint32 Recordset::textHash(QByteArrayView text, int collation)
{
    switch (Collation(collation)) {
    case Collation::PtBr:
        return hashTextUtf8(text);
    case Collation::NoCase: {
        quint32 h = 2166136261u;
        for (const char c : text) {
            h ^= quint32(uchar(c >= 'A' && c <= 'Z' ? c + 32 : c));
            h *= 16777619u;
        }
        return h;
    }
    case Collation::RTrim:
        return quint32(qHash(rtrimmed(text)));
    case Collation::Binary:
        break;
    }
    return quint32(qHash(text));
}

namespace {

const char *cellOfRow(const char *row, int index)
{
    for (int i = 0; i < index; ++i)
        row += cellSize(row);
    return row;
}

int storageClass(const char *c)
{
    switch (*c) {
    case TagInt:
    case TagReal:
        return 1;
    case TagText:
        return 2;
    case TagBlob:
        return 3;
    default:
        return 0;
    }
}

} // namespace

int Recordset::compareCells(const char *a, const char *b, int collation)
{
    // SQLite's order: Null, numbers, texts by the collation, blobs.
    const int ca = storageClass(a);
    const int cb = storageClass(b);
    if (ca != cb)
        return ca < cb ? -1 : 1;
    switch (ca) {
    case 1: {
        if (*a == TagInt && *b == TagInt)
            return cellInt(a) < cellInt(b) ? -1 : (cellInt(a) > cellInt(b) ? 1 : 0);
        const double x = *a == TagInt ? double(cellInt(a)) : cellReal(a);
        const double y = *b == TagInt ? double(cellInt(b)) : cellReal(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case 2:
        switch (Collation(collation)) {
        case Collation::PtBr:
            return compareTextUtf8(cellBytes(a), cellBytes(b));
        case Collation::NoCase:
            return compareNoCaseUtf8(cellBytes(a), cellBytes(b));
        case Collation::RTrim:
            return compareBinaryUtf8(rtrimmed(cellBytes(a)), rtrimmed(cellBytes(b)));
        case Collation::Binary:
            return compareBinaryUtf8(cellBytes(a), cellBytes(b));
        }
        return 0;
    case 3:
        return compareBinaryUtf8(cellBytes(a), cellBytes(b));
    default:
        return 0;
    }
}

int Recordset::orderedPosition(const QByteArray &row) const
{
    // After the rows it ties with, as a new row read last would be.
    auto before = [&](int r) {
        const char *other = m_data.constData() + m_rowStart[r];
        for (const OrderKey &k : m_order) {
            int c = compareCells(cellOfRow(row.constData(), k.cell), cellOfRow(other, k.cell),
                                 k.collation);
            if (k.descending)
                c = -c;
            if (c != 0)
                return c < 0;
        }
        return false;
    };
    int lo = 0;
    int hi = int(m_rowStart.size());
    if (m_order.isEmpty())
        return hi;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (before(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

bool Recordset::placeInserted(int k, qint64 rowid)
{
    if (!m_orderKnown || m_sourceSql.isEmpty())
        return false;
    const TableKey &key = m_keys[k];
    sqlite3 *db = internal::handle(m_databaseName);
    QStringList keyCols;
    QStringList where;
    for (int j = 0; j < key.cellCount; ++j) {
        keyCols << (key.keyColumns.isEmpty() ? QStringLiteral("rowid")
                                             : internal::quoteName(key.keyColumns[j]));
        where << hiddenName(k * 100 + (key.keyColumns.isEmpty() ? 0 : j + 1))
                     + QStringLiteral("=?");
    }
    Prepared keyOf(db,
                   QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?")
                       .arg(keyCols.join(QLatin1Char(',')), key.quoted),
                   {rowid});
    if (sqlite3_step(keyOf.get()) != SQLITE_ROW)
        return false;
    // The new record as the source shows it (or not), by its key.
    QString error;
    Stmt rows = prepare(db,
                        QStringLiteral("SELECT * FROM (") + m_sourceSql + QStringLiteral(") WHERE ")
                            + where.join(QStringLiteral(" AND ")),
                        &error);
    const int total = m_hiddenCells + int(m_columns.size());
    if (!rows || sqlite3_column_count(rows.get()) != total)
        return false;
    // The source's own values come first in the statement, then the key's.
    if (!bindValues(rows.get(), m_recordSource.values))
        return false;
    const int firstKey = int(m_recordSource.values.size()) + 1;
    for (int j = 0; j < key.cellCount; ++j)
        sqlite3_bind_value(rows.get(), firstKey + j, sqlite3_column_value(keyOf.get(), j));
    QVector<QByteArray> added;
    int rc;
    while ((rc = sqlite3_step(rows.get())) == SQLITE_ROW) {
        QByteArray bytes;
        for (int i = 0; i < total; ++i)
            appendCell(bytes, rows.get(), i);
        added << bytes;
    }
    if (rc != SQLITE_DONE)
        return false;
    int first = -1;
    for (const QByteArray &bytes : std::as_const(added)) {
        const int pos = orderedPosition(bytes);
        m_rowStart.insert(pos, m_data.size());
        if (m_hasRowids)
            m_rowids.insert(m_rowids.begin() + pos, cellInt(bytes.constData()));
        m_data += bytes;
        if (pos <= m_pos)
            ++m_pos; // the record that was current stays current if none is shown
        if (first < 0 || pos <= first)
            first = pos;
    }
    if (first >= 0)
        m_pos = first;
    m_textIndexes.clear();
    return true;
}

const std::vector<std::pair<quint32, int>> &Recordset::textIndex(int col) const
{
    auto it = m_textIndexes.find(col);
    if (it != m_textIndexes.end())
        return *it;
    const int collation = int(m_columns[col].collation);
    std::vector<std::pair<quint32, int>> entries;
    entries.reserve(size_t(m_rowStart.size()));
    for (int row = 0; row < m_rowStart.size(); ++row) {
        const char *p = cell(row, col);
        if (*p == TagText)
            entries.emplace_back(textHash(cellBytes(p), collation), row);
    }
    std::sort(entries.begin(), entries.end());
    return *m_textIndexes.insert(col, std::move(entries));
}

int Recordset::findThroughTable(int col, const QByteArray &text) const
{
    // Only a column its table finds by an index, and rows that can be told
    // apart by one key cell (the rowid, or a one-column key).
    const Column &c = m_columns[col];
    const int k = c.table.isEmpty() ? -1 : tableKey(c.table);
    if (k < 0 || m_keys[k].cellCount != 1 || dialectOf(m_databaseName) == Dialect::Postgres)
        return -2;
    const TableKey &key = m_keys[k];
    const QString keyColumn = key.keyColumns.isEmpty() ? QStringLiteral("rowid")
                                                       : internal::quoteName(key.keyColumns[0]);
    const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? LIMIT 33")
                            .arg(keyColumn, key.quoted, c.quoted);
    sqlite3 *db = internal::handle(m_databaseName);
    auto known = m_indexedLookup.find(col);
    if (known == m_indexedLookup.end()) {
        bool indexed = false;
        internal::CachedStatement plan(db, QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
        while (plan && sqlite3_step(plan.get()) == SQLITE_ROW) {
            const QByteArray detail(
                reinterpret_cast<const char *>(sqlite3_column_text(plan.get(), 3)));
            indexed = detail.startsWith("SEARCH");
        }
        known = m_indexedLookup.insert(col, indexed);
    }
    if (!*known)
        return -2;

    internal::CachedStatement st(db, sql);
    if (!st)
        return -2;
    sqlite3_bind_text(st.get(), 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    QList<QByteArray> candidates;
    while (sqlite3_step(st.get()) == SQLITE_ROW) {
        QByteArray k;
        appendCell(k, st.get(), 0);
        candidates << k;
    }
    if (candidates.isEmpty() || candidates.size() > 32)
        return -2; // not there (the rows read may be older) or too many: the rows decide
    if (k == 0 && m_hasRowids) {
        std::vector<qint64> wanted;
        for (const QByteArray &c : std::as_const(candidates))
            wanted.push_back(cellInt(c.constData()));
        for (size_t row = 0; row < m_rowids.size(); ++row) {
            if (std::find(wanted.begin(), wanted.end(), m_rowids[row]) != wanted.end())
                return int(row);
        }
        return -2;
    }
    for (int row = 0; row < m_rowStart.size(); ++row) {
        const char *p = rawCell(row, key.firstCell);
        const QByteArrayView cellView(p, cellSize(p));
        for (const QByteArray &k : std::as_const(candidates)) {
            if (cellView == QByteArrayView(k))
                return row;
        }
    }
    return -2;
}

bool Recordset::findFirst(const QString &fieldName, const QVariant &value)
{
    const int col = requireField(fieldName);
    discardEdit();
    const Column &c = m_columns[col];
    const QVariant v = internal::normalise(value);
    m_noMatch = true;
    if (!v.isValid() || v.isNull())
        return false;

    // The value as the column's affinity makes it before comparing.
    Wanted w;
    if (isNumberType(v) && c.affinity != Affinity::Text) {
        w.number = true;
        w.integral = v.typeId() != QMetaType::Double && v.typeId() != QMetaType::Float;
        w.integer = v.toLongLong();
        w.value = v.toDouble();
    } else if (!isNumberType(v)
               && (c.affinity == Affinity::Integer || c.affinity == Affinity::Real
                   || c.affinity == Affinity::Numeric)
               && looksNumeric(v.toString(), &w.value)) {
        w.number = true;
        bool ok = false;
        w.integer = v.toString().trimmed().toLongLong(&ok);
        w.integral = ok;
    } else {
        w.text = (v.typeId() == QMetaType::Double) ? QByteArray::number(v.toDouble(), 'g', 15)
                                                   : v.toString().toUtf8();
    }

    auto found = [&](int row) {
        m_pos = row;
        m_noMatch = false;
        return true;
    };
    const int collation = int(c.collation);
    if (!w.number) {
        // A text: first through the table's own index (the row read for the
        // record it finds must still hold the value), then through an index
        // of the rows kept until they change.
        if (!m_textIndexes.contains(col)) {
            const int row = findThroughTable(col, w.text);
            if (row >= 0 && cellMatches(cell(row, col), collation, &w))
                return found(row);
        }
        const auto &entries = textIndex(col);
        const quint32 h = textHash(w.text, collation);
        auto it = std::lower_bound(entries.begin(), entries.end(), std::make_pair(h, -1));
        for (; it != entries.end() && it->first == h; ++it) {
            if (cellMatches(cell(it->second, col), collation, &w))
                return found(it->second);
        }
        return false;
    }
    const int n = int(m_rowStart.size());
    for (int row = 0; row < n; ++row) {
        if (cellMatches(cell(row, col), collation, &w))
            return found(row);
    }
    return false;
}

} // namespace kq::data
