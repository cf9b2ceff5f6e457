#include "data/recordset.h"

#include "data/collation.h"
#include "data/connection_p.h"
#include "data/database.h"
#include "data/dataerror.h"
#include "data/jetsql.h"
#include "data/pgserver_p.h"
#include "data/rowstream.h"
#include "data/sourceshape_p.h"

#include <QDate>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

#include <sqlite3.h>

namespace kq::data {

using internal::shapeOf;
using internal::SourceShape;
using internal::SourceTable;
using internal::unquoteName;

namespace {

const QString kSource = QStringLiteral("Recordset");

QString hiddenName(int i)
{
    return QStringLiteral("kq__rowid_%1").arg(i);
}

// ---- Cells: a tag byte, then 8 bytes for a number or a 4-byte length and
// the bytes of a text or blob.

enum Tag : char { TagNull = 0, TagInt = 1, TagReal = 2, TagText = 3, TagBlob = 4 };

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

struct StmtDeleter
{
    void operator()(sqlite3_stmt *s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

Stmt prepare(sqlite3 *db, const QString &sql, QString *error)
{
    sqlite3_stmt *s = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &s, nullptr) != SQLITE_OK) {
        *error = internal::lastError(db);
        sqlite3_finalize(s);
        return Stmt();
    }
    // Blanks or comments only: SQLite gives no statement and no error.
    if (!s)
        *error = QStringLiteral("A fonte de registros não tem nenhum comando SQL.");
    return Stmt(s);
}

DataError writeError(const QString &text)
{
    return DataError(ErrorNumber::WriteFailed, text, kSource);
}

// A write or read-back statement: kept prepared between records.
class Prepared : public internal::CachedStatement
{
public:
    Prepared(sqlite3 *db, const QString &sql, const QVariantList &values)
        : CachedStatement(db, sql)
    {
        if (!get())
            throw internal::failure(db, errorCode(), error(), kSource, ErrorNumber::WriteFailed);
        int i = 1;
        for (const QVariant &v : values)
            internal::bindValue(get(), i++, v);
    }
};

bool looksNumeric(const QString &text, double *value)
{
    bool ok = false;
    *value = text.trimmed().toDouble(&ok);
    return ok && !text.trimmed().isEmpty();
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

// The hidden key cells of table i of the source for a select list: its
// rowid (no columns named; `rowid` true) or the named key columns.
QString keyColumnsText(const SourceShape &shape, int i, const QStringList &cols, bool rowid)
{
    const QString &ref = shape.tables[i].ref;
    QString text;
    if (rowid)
        text = QLatin1Char(' ') + ref + QStringLiteral(".rowid AS ") + hiddenName(i * 100)
               + QLatin1Char(',');
    for (int j = 0; j < cols.size(); ++j)
        text += QLatin1Char(' ') + ref + QLatin1Char('.') + internal::quoteName(cols[j])
                + QStringLiteral(" AS ") + hiddenName(i * 100 + j + 1) + QLatin1Char(',');
    return text;
}

QStringList sqlitePrimaryKey(sqlite3 *db, const QString &table, QString *error)
{
    QStringList pk;
    Stmt info = prepare(db,
                        QStringLiteral("SELECT name FROM pragma_table_info(?) "
                                       "WHERE pk > 0 ORDER BY pk"),
                        error);
    if (!info)
        return pk;
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(info.get(), 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(info.get()) == SQLITE_ROW)
        pk << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(info.get(), 0)));
    return pk;
}

// The source's statement with the hidden key cells of each table in front of
// its select list: the table's rowid, else its primary key (keyColumns).
// A table told apart by neither has no cells; when no such statement
// prepares, the source as it is, with no cells at all (read-only rows).
struct KeyedStatement
{
    Stmt stmt;
    QVector<QStringList> keyColumns;
    QVector<int> cellCounts;
};

KeyedStatement prepareKeyed(sqlite3 *db, const QString &sql, const SourceShape &shape)
{
    const int tables = int(shape.tables.size());
    KeyedStatement k{Stmt(), QVector<QStringList>(tables), QVector<int>(tables, 0)};
    auto withColumns = [&](const QString &columns) {
        return QString(sql).insert(shape.selectEnd, columns);
    };
    QString error;
    if (shape.selectEnd >= 0 && tables > 0) {
        QString all;
        for (int i = 0; i < tables; ++i)
            all += keyColumnsText(shape, i, {}, true);
        k.stmt = prepare(db, withColumns(all), &error);
        if (k.stmt) {
            k.cellCounts.fill(1);
        } else {
            // Some table has no rowid here: try each one, then its primary key.
            all.clear();
            for (int i = 0; i < tables; ++i) {
                QString one = keyColumnsText(shape, i, {}, true);
                if (prepare(db, withColumns(one), &error)) {
                    k.cellCounts[i] = 1;
                    all += one;
                    continue;
                }
                const QStringList pk = sqlitePrimaryKey(db, shape.tables[i].name, &error);
                if (pk.isEmpty())
                    continue;
                one = keyColumnsText(shape, i, pk, false);
                if (prepare(db, withColumns(one), &error)) {
                    k.keyColumns[i] = pk;
                    k.cellCounts[i] = int(pk.size());
                    all += one;
                }
            }
            k.stmt = prepare(db, withColumns(all), &error);
        }
    }
    if (!k.stmt) {
        k.cellCounts.fill(0);
        k.stmt = prepare(db, sql, &error);
    }
    return k;
}

// The statement's text, without its closing semicolons.
QString statementText(sqlite3_stmt *stmt)
{
    QString text = QString::fromUtf8(sqlite3_sql(stmt)).trimmed();
    while (text.endsWith(QLatin1Char(';')))
        text.chop(1);
    return text;
}

// Every row of the statement, cell after cell; with `rowids`, the first
// cell of each row apart as well. complete false: the step failed.
struct SqliteRows
{
    QByteArray data;
    QVector<qsizetype> rowStart;
    std::vector<qint64> firstRowids;
    bool complete = false;
};

SqliteRows readSqliteRows(sqlite3_stmt *stmt, bool rowids)
{
    SqliteRows rows;
    const int total = sqlite3_column_count(stmt);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        rows.rowStart.push_back(rows.data.size());
        for (int i = 0; i < total; ++i)
            appendCell(rows.data, stmt, i);
        if (rowids)
            rows.firstRowids.push_back(sqlite3_column_int64(stmt, 0));
    }
    rows.complete = rc == SQLITE_DONE;
    return rows;
}

} // namespace

Recordset::Recordset(const QString &databaseName, const RecordSource &recordSource)
    : m_databaseName(databaseName)
    , m_recordSource(recordSource)
{}

void Recordset::setDatabaseName(const QString &path)
{
    m_databaseName = path;
    m_loaded = false;
}

void Recordset::setRecordSource(const RecordSource &source)
{
    m_recordSource = source;
    m_loaded = false;
}

void Recordset::refresh()
{
    load();
}

void Recordset::ensureLoaded() const
{
    if (!m_loaded)
        const_cast<Recordset *>(this)->load();
}

void Recordset::load()
{
    discardEdit();
    m_noMatch = false;
    const QString sql = translateJet(m_recordSource.sql);
    const SourceShape shape = shapeOf(sql);
    if (dialectOf(m_databaseName) == Dialect::Postgres)
        loadServerSource(sql, shape);
    else
        loadSqliteSource(sql, shape);
}

// The server's key of each table of the source, and the source with the
// hidden key cells in front of its select list.
void Recordset::loadServerSource(const QString &sql, const SourceShape &shape)
{
    const QSqlDatabase server = internal::serverDatabase(m_databaseName);
    QVector<TableKey> keys;
    QString columns;
    for (int i = 0; i < shape.tables.size(); ++i) {
        const SourceTable &t = shape.tables[i];
        TableKey k{t.name, internal::serverPrimaryKey(server, t.name), 0, 0, {}, {}, {}, {}};
        const QStringList cols
            = k.keyColumns.isEmpty() ? QStringList{QStringLiteral("rowid")} : k.keyColumns;
        k.cellCount = int(cols.size());
        columns += keyColumnsText(shape, i, cols, false);
        keys.push_back(k);
    }
    QString withKeys;
    if (shape.selectEnd >= 0 && !keys.isEmpty())
        withKeys = QString(sql).insert(shape.selectEnd, columns);
    loadFromServer(sql, withKeys, keys, shape);
}

void Recordset::loadSqliteSource(const QString &sql, const SourceShape &shape)
{
    sqlite3 *db = internal::handle(m_databaseName);
    KeyedStatement keyed = prepareKeyed(db, sql, shape);
    Stmt &stmt = keyed.stmt;
    if (!stmt)
        throw internal::failure(db, kSource);
    if (!bindValues(stmt.get(), m_recordSource.values))
        throw internal::failure(db, kSource);

    QVector<TableKey> keys;
    int hiddenCount = 0;
    for (int i = 0; i < shape.tables.size(); ++i) {
        TableKey k{shape.tables[i].name,
                   keyed.keyColumns.value(i),
                   hiddenCount,
                   keyed.cellCounts.value(i),
                   {},
                   {},
                   {},
                   {}};
        hiddenCount += k.cellCount;
        keys.push_back(k);
    }
    QVector<Column> columns = sqliteColumns(db, stmt.get(), hiddenCount);

    // The rowid of the first table of each row, apart: a find through the
    // table's index looks its rows up there.
    const bool rowids = !keys.isEmpty() && keys[0].cellCount == 1 && keys[0].keyColumns.isEmpty();
    SqliteRows rows = readSqliteRows(stmt.get(), rowids);
    if (!rows.complete)
        throw internal::failure(db, kSource);

    adopt(std::move(columns), std::move(keys), hiddenCount, std::move(rows.data),
          std::move(rows.rowStart), std::move(rows.firstRowids), rowids, statementText(stmt.get()),
          shape);
}

// The columns of the statement from `first` on (the hidden key cells come
// before it): names, origins, collations and types.
QVector<Recordset::Column> Recordset::sqliteColumns(sqlite3 *db, sqlite3_stmt *stmt, int first)
{
    const int total = sqlite3_column_count(stmt);
    QVector<Column> columns;
    columns.reserve(total - first);
    for (int i = first; i < total; ++i) {
        Column col;
        col.name = QString::fromUtf8(sqlite3_column_name(stmt, i));
        const char *table = sqlite3_column_table_name(stmt, i);
        const char *origin = sqlite3_column_origin_name(stmt, i);
        const char *dbName = sqlite3_column_database_name(stmt, i);
        const QByteArray decl = QByteArray(sqlite3_column_decltype(stmt, i)).toUpper();
        if (table && origin) {
            col.table = QString::fromUtf8(table);
            col.origin = QString::fromUtf8(origin);
            // SQLite's name of a repeated column of a joined sub-query.
            const qsizetype colon = col.name.lastIndexOf(QLatin1Char(':'));
            if (colon > 0 && col.name.left(colon).compare(col.origin, Qt::CaseInsensitive) == 0)
                col.name = col.name.left(colon);
            const char *declType = nullptr;
            const char *collSeq = nullptr;
            int notNull = 0, primaryKey = 0, autoInc = 0;
            if (sqlite3_table_column_metadata(db, dbName, table, origin, &declType, &collSeq,
                                              &notNull, &primaryKey, &autoInc)
                    == SQLITE_OK
                && collSeq) {
                const QByteArray c = QByteArray(collSeq).toUpper();
                col.collation = c == "PTBR"     ? Collation::PtBr
                                : c == "NOCASE" ? Collation::NoCase
                                : c == "RTRIM"  ? Collation::RTrim
                                                : Collation::Binary;
            }
        }
        setType(col, decl);
        columns.push_back(col);
    }
    return columns;
}

void Recordset::setType(Column &col, const QByteArray &decl)
{
    if (decl.isEmpty())
        col.affinity = Affinity::None;
    else if (decl.contains("INT"))
        col.affinity = Affinity::Integer;
    else if (decl.contains("CHAR") || decl.contains("CLOB") || decl.contains("TEXT"))
        col.affinity = Affinity::Text;
    else if (decl.contains("BLOB"))
        col.affinity = Affinity::None;
    else if (decl.contains("REAL") || decl.contains("FLOA") || decl.contains("DOUB"))
        col.affinity = Affinity::Real;
    else
        col.affinity = Affinity::Numeric;
    col.isDate = decl == "DATE";
}

// The server's rows: every table of the source told apart by its primary
// key, or by the "rowid" the server schema gives a table without one.
void Recordset::loadFromServer(const QString &sql, const QString &withKeys, QVector<TableKey> keys,
                               const internal::SourceShape &shape)
{
    const QSqlDatabase db = internal::serverDatabase(m_databaseName);
    std::unique_ptr<RowStream> rows;
    if (!withKeys.isEmpty()) {
        // A source the key columns do not fit (grouped, distinct) is read
        // without them; inside a transaction its failure must not end it.
        const bool inner = internal::pgInTransaction(db);
        if (inner)
            internal::pgExec(db, QStringLiteral("SAVEPOINT kq_load"), {}, kSource);
        try {
            rows = internal::serverResult(m_databaseName, withKeys, m_recordSource.values);
        } catch (const DataError &e) {
            if (isStorageFailure(e.number()))
                throw;
            if (inner)
                internal::pgExec(db, QStringLiteral("ROLLBACK TO SAVEPOINT kq_load"), {}, kSource);
        }
        if (inner)
            internal::pgExec(db, QStringLiteral("RELEASE SAVEPOINT kq_load"), {}, kSource);
    }
    if (!rows) {
        for (TableKey &k : keys) {
            k.keyColumns.clear();
            k.cellCount = 0; // read-only rows
        }
        rows = internal::serverResult(m_databaseName, sql, m_recordSource.values);
    }
    int hiddenCount = 0;
    for (TableKey &k : keys) {
        k.firstCell = hiddenCount;
        hiddenCount += k.cellCount;
    }
    const int total = int(rows->fieldNames().size());
    QVector<Column> columns;
    columns.reserve(total - hiddenCount);
    for (int i = hiddenCount; i < total; ++i) {
        const RowStream::Origin o = rows->origin(i);
        Column col;
        col.name = rows->fieldNames().at(i);
        col.table = o.table;
        col.origin = o.column;
        col.collation = o.portuguese ? Collation::PtBr
                        : o.noCase   ? Collation::NoCase
                                     : Collation::Binary;
        setType(col, o.declaredType.toLatin1());
        columns.push_back(col);
    }
    QByteArray data;
    QVector<qsizetype> rowStart;
    while (rows->next()) {
        rowStart.push_back(data.size());
        for (int i = 0; i < total; ++i)
            appendCell(data, *rows, i);
    }
    adopt(std::move(columns), std::move(keys), hiddenCount, std::move(data), std::move(rowStart),
          {}, false, QString(), shape);
}

void Recordset::adopt(QVector<Column> columns, QVector<TableKey> keys, int hiddenCount,
                      QByteArray data, QVector<qsizetype> rowStart, std::vector<qint64> firstRowids,
                      bool rowids, const QString &loadedSql, const internal::SourceShape &shape)
{
    for (Column &c : columns)
        c.quoted = internal::quoteName(c.origin);
    for (TableKey &k : keys) {
        k.quoted = internal::quoteName(k.name);
        QStringList parts;
        for (const QString &c : k.keyColumns)
            parts << internal::quoteName(c) + QStringLiteral("=?");
        k.condition
            = parts.isEmpty() ? QStringLiteral("rowid=?") : parts.join(QStringLiteral(" AND "));
        QStringList cols;
        for (int c = 0; c < columns.size(); ++c) {
            if (columns[c].table.compare(k.name, Qt::CaseInsensitive) == 0) {
                cols << columns[c].quoted;
                k.columns << c;
            }
        }
        if (!cols.isEmpty())
            k.readBack = QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                             .arg(cols.join(QLatin1Char(',')), k.quoted, k.condition);
    }
    m_columns = std::move(columns);
    m_keys = std::move(keys);
    m_hiddenCells = hiddenCount;
    m_data = std::move(data);
    m_rowStart = std::move(rowStart);
    m_rowids = std::move(firstRowids);
    m_hasRowids = rowids;
    m_textIndexes.clear();
    m_indexedLookup.clear();
    m_garbage = 0;
    m_pos = 0;
    m_loaded = true;
    m_sourceSql = loadedSql;
    readOrder(shape);
}

void Recordset::readOrder(const internal::SourceShape &shape)
{
    // The order the source puts its rows in, as cells of a row, so that a
    // new record goes where the source would put it.
    m_order.clear();
    m_orderKnown = shape.orderKnown && m_hiddenCells > 0;
    const int total = m_hiddenCells + int(m_columns.size());
    for (const internal::OrderTerm &t : shape.order) {
        OrderKey key;
        key.descending = t.descending;
        int column = -1;
        if (t.position > 0) {
            key.cell = t.position - 1; // the statement's own columns, hidden ones first
            column = key.cell - m_hiddenCells;
        } else {
            column
                = fieldIndex(t.table.isEmpty() ? t.column : t.table + QLatin1Char('.') + t.column);
            key.cell = column < 0 ? -1 : m_hiddenCells + column;
        }
        if (key.cell < 0 || key.cell >= total) {
            m_orderKnown = false;
            return;
        }
        key.collation = column >= 0 ? int(m_columns[column].collation) : int(Collation::Binary);
        if (!t.collation.isEmpty()) {
            const QString c = t.collation.toUpper();
            if (c == QLatin1String("PTBR"))
                key.collation = int(Collation::PtBr);
            else if (c == QLatin1String("NOCASE"))
                key.collation = int(Collation::NoCase);
            else if (c == QLatin1String("RTRIM"))
                key.collation = int(Collation::RTrim);
            else if (c == QLatin1String("BINARY"))
                key.collation = int(Collation::Binary);
            else
                m_orderKnown = false;
        }
        m_order.push_back(key);
    }
}

bool Recordset::eof() const
{
    ensureLoaded();
    return m_rowStart.isEmpty() || m_pos >= m_rowStart.size();
}

bool Recordset::bof() const
{
    ensureLoaded();
    return m_rowStart.isEmpty() || m_pos < 0;
}

int Recordset::recordCount() const
{
    ensureLoaded();
    return int(m_rowStart.size());
}

void Recordset::moveFirst()
{
    ensureLoaded();
    discardEdit();
    m_pos = 0;
}

void Recordset::moveLast()
{
    ensureLoaded();
    discardEdit();
    m_pos = m_rowStart.isEmpty() ? 0 : int(m_rowStart.size()) - 1;
}

void Recordset::moveNext()
{
    if (eof())
        throw DataError(ErrorNumber::NoCurrentRecord, QStringLiteral("Nenhum registro atual."),
                        kSource);
    discardEdit();
    ++m_pos;
}

void Recordset::movePrevious()
{
    if (bof())
        throw DataError(ErrorNumber::NoCurrentRecord, QStringLiteral("Nenhum registro atual."),
                        kSource);
    discardEdit();
    --m_pos;
}

void Recordset::moveTo(int row)
{
    ensureLoaded();
    discardEdit();
    m_pos = qBound(-1, row, int(m_rowStart.size()));
}

void Recordset::requireCurrent() const
{
    if (eof() || bof())
        throw DataError(ErrorNumber::NoCurrentRecord, QStringLiteral("Nenhum registro atual."),
                        kSource);
}

int Recordset::fieldIndex(const QString &name) const
{
    ensureLoaded();
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0) {
        const QString table = unquoteName(name.left(dot));
        const QString field = unquoteName(name.mid(dot + 1));
        for (int i = 0; i < m_columns.size(); ++i) {
            const Column &c = m_columns[i];
            if (c.table.compare(table, Qt::CaseInsensitive) == 0
                && (c.origin.compare(field, Qt::CaseInsensitive) == 0
                    || c.name.compare(field, Qt::CaseInsensitive) == 0))
                return i;
        }
    }
    return -1;
}

int Recordset::requireField(const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw DataError(
            ErrorNumber::UnknownField,
            QStringLiteral("Item não encontrado nesta coleção: campo \"%1\".").arg(name), kSource);
    return i;
}

int Recordset::fieldCount() const
{
    ensureLoaded();
    return int(m_columns.size());
}

QStringList Recordset::fieldNames() const
{
    ensureLoaded();
    QStringList names;
    for (const Column &c : m_columns)
        names << c.name;
    return names;
}

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

void Recordset::addNew()
{
    ensureLoaded();
    m_pending.clear();
    m_mode = Mode::Adding;
}

void Recordset::edit()
{
    requireCurrent();
    m_pending.clear();
    m_mode = Mode::Editing;
}

void Recordset::setField(const QString &fieldName, const QVariant &value)
{
    if (m_mode == Mode::None)
        throw DataError(ErrorNumber::NoEditMode, QStringLiteral("Atualização sem AddNew ou Edit."),
                        kSource);
    const int col = requireField(fieldName);
    const Column &c = m_columns[col];
    if (c.table.isEmpty())
        throw writeError(QStringLiteral("O campo \"%1\" não pode ser alterado.").arg(fieldName));
    const QVariant v = internal::normalise(value);
    for (auto &p : m_pending) {
        if (p.first == col) {
            p.second = v;
            return;
        }
    }
    m_pending.push_back({col, v});
}

void Recordset::cancelUpdate()
{
    discardEdit();
}

void Recordset::discardEdit()
{
    m_mode = Mode::None;
    m_pending.clear();
}

void Recordset::update()
{
    if (m_mode == Mode::None)
        throw DataError(ErrorNumber::NoEditMode, QStringLiteral("Atualização sem AddNew ou Edit."),
                        kSource);
    if (m_mode == Mode::Editing)
        updateCurrent();
    else
        insertNew();
}

int Recordset::tableKey(const QString &table) const
{
    int found = -1;
    for (int i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i].name.compare(table, Qt::CaseInsensitive) == 0) {
            if (found >= 0)
                return -1; // the table is named twice: which row is meant is unclear
            found = i;
        }
    }
    return found >= 0 && m_keys[found].cellCount > 0 ? found : -1;
}

namespace {

bool onServer(const QString &path)
{
    return dialectOf(path) == Dialect::Postgres;
}

// Runs a write of the recordset; the rows it changed.
qint64 write(const QString &path, const QString &sql, const QVariantList &values)
{
    if (onServer(path)) {
        const QSqlDatabase db = internal::serverDatabase(path);
        const internal::PgResult r = internal::pgTry(db, toDialect(sql, Dialect::Postgres), values);
        if (!r.ok())
            throw internal::pgResultFailure(db, r, kSource, ErrorNumber::WriteFailed);
        return r.changes();
    }
    sqlite3 *db = internal::handle(path);
    Prepared st(db, sql, values);
    if (sqlite3_step(st.get()) != SQLITE_DONE)
        throw internal::failure(db, kSource, ErrorNumber::WriteFailed);
    return sqlite3_changes(db);
}

// The cells of the first row a statement gives; empty when it gives none.
std::optional<QByteArray> firstRow(const QString &path, const QString &sql,
                                   const QVariantList &values, int count,
                                   QVector<QByteArray> *each = nullptr)
{
    QByteArray cells;
    if (onServer(path)) {
        const std::unique_ptr<RowStream> rows
            = internal::serverResult(path, sql, values, ErrorNumber::WriteFailed);
        if (!rows->next())
            return std::nullopt;
        for (int j = 0; j < count; ++j) {
            QByteArray one;
            appendCell(one, *rows, j);
            if (each)
                *each << one;
            cells += one;
        }
        return cells;
    }
    sqlite3 *db = internal::handle(path);
    Prepared back(db, sql, values);
    if (sqlite3_step(back.get()) != SQLITE_ROW)
        return std::nullopt;
    for (int j = 0; j < count; ++j) {
        QByteArray one;
        appendCell(one, back.get(), j);
        if (each)
            *each << one;
        cells += one;
    }
    return cells;
}

} // namespace

void Recordset::updateCurrent()
{
    requireCurrent();
    if (m_pending.isEmpty()) {
        discardEdit();
        return;
    }
    // Fields grouped by the table they belong to.
    QVector<int> tables;
    for (const auto &p : m_pending) {
        const int k = tableKey(m_columns[p.first].table);
        if (k < 0)
            throw writeError(QStringLiteral("A consulta não permite alterar a tabela %1.")
                                 .arg(m_columns[p.first].table));
        if (!tables.contains(k))
            tables << k;
    }

    std::unique_ptr<Transaction> tx;
    if (tables.size() > 1)
        tx = std::make_unique<Transaction>(m_databaseName);
    QVector<QPair<int, QByteArray>> patched;
    for (const int k : tables) {
        const TableKey &key = m_keys[k];
        const QVariantList where = keyValues(m_pos, key);
        QString sets;
        QVariantList values;
        for (const auto &p : m_pending) {
            if (m_columns[p.first].table.compare(key.name, Qt::CaseInsensitive) != 0)
                continue;
            if (!sets.isEmpty())
                sets += QLatin1Char(',');
            sets += m_columns[p.first].quoted + QStringLiteral("=?");
            values << p.second;
        }
        if (write(m_databaseName,
                  QStringLiteral("UPDATE ") + key.quoted + QStringLiteral(" SET ") + sets
                      + QStringLiteral(" WHERE ") + key.condition,
                  values + where)
            == 0)
            throw writeError(
                QStringLiteral("O registro não existe mais na tabela %1.").arg(key.name));

        // Read back every column of this table in the row, as stored. A key
        // column written anew identifies the row from now on.
        QVariantList newWhere = where;
        for (int j = 0; j < key.keyColumns.size(); ++j) {
            for (const auto &p : m_pending) {
                if (m_columns[p.first].table.compare(key.name, Qt::CaseInsensitive) == 0
                    && m_columns[p.first].origin.compare(key.keyColumns[j], Qt::CaseInsensitive)
                           == 0)
                    newWhere[j] = p.second;
            }
        }
        QVector<QByteArray> cells;
        if (firstRow(m_databaseName, key.readBack, newWhere, int(key.columns.size()), &cells)) {
            for (int j = 0; j < key.columns.size(); ++j)
                patched.push_back({m_hiddenCells + key.columns[j], cells[j]});
        }
    }
    if (tx)
        tx->commit();
    discardEdit();
    patchRow(m_pos, patched);
}

void Recordset::patchRow(int row, const QVector<QPair<int, QByteArray>> &cells)
{
    if (cells.isEmpty())
        return;
    const int total = m_hiddenCells + int(m_columns.size());
    QByteArray rebuilt;
    const char *c = m_data.constData() + m_rowStart[row];
    const char *start = c;
    for (int i = 0; i < total; ++i) {
        const qsizetype size = cellSize(c);
        const QByteArray *replacement = nullptr;
        for (const auto &p : cells) {
            if (p.first == i)
                replacement = &p.second;
        }
        if (replacement)
            rebuilt += *replacement;
        else
            rebuilt.append(c, size);
        c += size;
    }
    m_garbage += c - start;
    m_rowStart[row] = m_data.size();
    m_data += rebuilt;
    m_textIndexes.clear();

    // Edits append; once most of the buffer is old copies, pack it.
    if (m_garbage > (1 << 20) && m_garbage > m_data.size() / 2) {
        QByteArray packed;
        packed.reserve(m_data.size() - m_garbage);
        for (qsizetype r = 0; r < m_rowStart.size(); ++r) {
            const char *b = m_data.constData() + m_rowStart[r];
            const char *e = b;
            for (int i = 0; i < total; ++i)
                e += cellSize(e);
            m_rowStart[r] = packed.size();
            packed.append(b, e - b);
        }
        m_data = std::move(packed);
        m_garbage = 0;
    }
}

void Recordset::insertNew()
{
    QString table;
    for (const auto &p : m_pending) {
        const QString &t = m_columns[p.first].table;
        if (table.isEmpty())
            table = t;
        else if (table.compare(t, Qt::CaseInsensitive) != 0)
            throw writeError(QStringLiteral("Um registro novo não pode ter campos de duas "
                                            "tabelas (%1, %2).")
                                 .arg(table, t));
    }
    if (table.isEmpty())
        table = baseTable();
    if (table.isEmpty())
        throw writeError(QStringLiteral("A consulta não permite incluir registros."));

    QStringList cols;
    QStringList marks;
    QVariantList values;
    for (const auto &p : m_pending) {
        cols << m_columns[p.first].quoted;
        marks << QStringLiteral("?");
        values << p.second;
    }
    const QString quoted = internal::quoteName(table);
    const QString sql = cols.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted)
                                       : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                             .arg(quoted, cols.join(QLatin1Char(',')),
                                                  marks.join(QLatin1Char(',')));
    // The new row's key cells: its rowid on SQLite (its key read after the
    // load); on a server the key the insert returns.
    std::optional<QByteArray> serverKey;
    qint64 newRowid = 0;
    if (onServer(m_databaseName)) {
        const QStringList pk
            = internal::serverPrimaryKey(internal::serverDatabase(m_databaseName), table);
        QStringList returned;
        for (const QString &c : pk.isEmpty() ? QStringList{QStringLiteral("rowid")} : pk)
            returned << internal::quoteName(c);
        serverKey = firstRow(m_databaseName,
                             sql + QStringLiteral(" RETURNING ") + returned.join(QLatin1Char(',')),
                             values, int(returned.size()));
    } else {
        sqlite3 *db = internal::handle(m_databaseName);
        Prepared st(db, sql, values);
        if (sqlite3_step(st.get()) != SQLITE_DONE)
            throw internal::failure(db, kSource, ErrorNumber::WriteFailed);
        newRowid = sqlite3_last_insert_rowid(db);
    }

    discardEdit();
    // Placed among the rows read where the source's order puts it, without
    // reading the source again (when its order is plain columns).
    if (const int kk = tableKey(table); !serverKey && kk >= 0 && placeInserted(kk, newRowid))
        return;

    // The record that was current, to come back to if the new one is not shown.
    const int k0 = m_keys.isEmpty() || m_keys[0].cellCount == 0 ? -1 : 0;
    const bool hadCurrent = k0 >= 0 && m_pos >= 0 && m_pos < m_rowStart.size();
    const QByteArray previous = hadCurrent ? keyCells(m_pos, m_keys[k0]) : QByteArray();

    load();
    const int k = tableKey(table);
    const int n = int(m_rowStart.size());
    if (k >= 0) {
        const TableKey &key = m_keys[k];
        QStringList keyCols;
        for (const QString &c : key.keyColumns)
            keyCols << internal::quoteName(c);
        const std::optional<QByteArray> wanted
            = serverKey ? serverKey
                        : firstRow(m_databaseName,
                                   QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?")
                                       .arg(keyCols.isEmpty() ? QStringLiteral("rowid")
                                                              : keyCols.join(QLatin1Char(',')),
                                            quoted),
                                   {newRowid}, key.cellCount);
        if (wanted) {
            for (int r = 0; r < n; ++r) {
                if (keyCells(r, key) == *wanted) {
                    m_pos = r;
                    return;
                }
            }
        }
    }
    if (hadCurrent) {
        for (int r = 0; r < n; ++r) {
            if (keyCells(r, m_keys[k0]) == previous) {
                m_pos = r;
                return;
            }
        }
    }
}

void Recordset::remove()
{
    requireCurrent();
    discardEdit();
    const int k = tableKey(baseTable());
    if (k < 0)
        throw writeError(QStringLiteral("A consulta não permite excluir registros."));
    const TableKey &key = m_keys[k];
    write(m_databaseName, QStringLiteral("DELETE FROM %1 WHERE %2").arg(key.quoted, key.condition),
          keyValues(m_pos, key));

    // Every row of that record goes (a join may show it more than once).
    const QByteArray gone = keyCells(m_pos, key);
    QVector<qsizetype> starts;
    starts.reserve(m_rowStart.size());
    std::vector<qint64> rowids;
    int before = 0;
    for (int r = 0; r < m_rowStart.size(); ++r) {
        if (keyCells(r, key) == gone) {
            if (r < m_pos)
                ++before;
            continue;
        }
        starts.push_back(m_rowStart[r]);
        if (m_hasRowids)
            rowids.push_back(m_rowids[size_t(r)]);
    }
    m_rowStart = std::move(starts);
    m_rowids = std::move(rowids);
    m_textIndexes.clear();
    m_pos -= before;
}

QString Recordset::baseTable() const
{
    const SourceShape shape = shapeOf(translateJet(m_recordSource.sql));
    return shape.tables.isEmpty() ? QString() : shape.tables.first().name;
}

} // namespace kq::data
