#include "data/recordset.h"
#include "data/recordset_p.h"

#include "data/collation.h"
#include "data/database.h"
#include "data/jetsql.h"
#include "data/pgserver_p.h"
#include "data/rowstream.h"
#include "data/sourceshape_p.h"

#include <algorithm>
#include <cstring>

namespace kq::data {

using internal::shapeOf;
using internal::SourceShape;
using internal::SourceTable;
using internal::unquoteName;
using namespace internal;

namespace internal {

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

} // namespace internal

namespace {

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

} // namespace kq::data
