#include "data/recordset.h"
#include "data/recordset_p.h"

#include "data/database.h"
#include "data/jetsql.h"
#include "data/pgserver_p.h"
#include "data/rowstream.h"
#include "data/sourceshape_p.h"

#include <QDate>

#include <algorithm>
#include <cstring>
#include <optional>

namespace kq::data {

using internal::shapeOf;
using internal::SourceShape;
using internal::SourceTable;
using internal::unquoteName;
using namespace internal;

namespace internal {

Prepared::Prepared(sqlite3 *db, const QString &sql, const QVariantList &values)
    : CachedStatement(db, sql)
{
    if (!get())
        throw failure(db, errorCode(), error(), kSource, ErrorNumber::WriteFailed);
    int i = 1;
    for (const QVariant &v : values)
        bindValue(get(), i++, v);
}

} // namespace internal

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

} // namespace kq::data
