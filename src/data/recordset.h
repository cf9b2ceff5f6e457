#pragma once

#include "data/recordsource.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QHash>
#include <QVector>

#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace kq::data {

namespace internal {
struct SourceShape;
}

// A data control's recordset: a database path and a record source (Jet SQL,
// translated), a current record, and record-by-record writes on the base
// table of the source. Field names are matched without regard to case.
// Every write is one statement with bound values; a find never builds SQL
// from the value it looks for. The rows are read when the source runs and
// kept in memory: writes made elsewhere show after the next refresh().
class Recordset
{
public:
    Recordset() = default;
    // Nothing runs until the recordset is first used (or refresh() is called).
    Recordset(const QString &databaseName, const RecordSource &recordSource);

    // Setting either one makes the next use run the record source again (its
    // values bound to its "?" in order).
    void setDatabaseName(const QString &path);
    QString databaseName() const { return m_databaseName; }
    void setRecordSource(const RecordSource &source);
    const RecordSource &recordSource() const { return m_recordSource; }

    // Runs the record source again; the first record becomes current.
    void refresh();

    // Both are true on an empty recordset.
    bool eof() const;
    bool bof() const;
    int recordCount() const;
    // Index of the current record: -1 before the first (BOF), recordCount()
    // after the last (EOF).
    int position() const { return m_pos; }

    // A move discards an unsaved addNew()/edit(). moveFirst() and moveLast()
    // do nothing on an empty recordset; moveNext() at EOF and movePrevious()
    // at BOF throw DataError NoCurrentRecord, as the old data control did.
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    // Makes record `row` current (clamped to -1 .. recordCount()).
    void moveTo(int row);

    // Finds the first record whose field equals the value (text compared as
    // the column's collation does: PTBR and NOCASE ignore case, trailing
    // blanks count; a number is compared with a number column as a number;
    // Null matches nothing). On no match the current record is left where it
    // was and noMatch() is true. The value is never put into SQL text. A text
    // is looked up through the table's index when it has one, otherwise
    // through an index of the rows read, made at the first find of that field
    // and kept until the rows change.
    bool findFirst(const QString &field, const QVariant &value);
    bool noMatch() const { return m_noMatch; }

    // Writes: addNew() or edit(), setField() as often as needed, update().
    // A field is written to the table it comes from (for a join, the table of
    // that column), the row identified by its rowid (by its primary key inside
    // a parenthesised join, where a table without one cannot be written);
    // fields of one update may come from several tables of a join (one
    // transaction). addNew() inserts into the table of the fields set
    // (baseTable() when none is set).
    // After an edit the record stays current with the values as stored;
    // after an addNew the new record is read through the record source by its
    // key, put among the rows read where the source's ORDER BY places it and
    // made current (when the source shows it; otherwise the record that was
    // current stays). The source runs again only when its order is not plain
    // columns (an expression, a LIMIT). Values are converted as exec() converts them (database.h).
    // setField()/update() without addNew()/edit() throw NoEditMode; a field
    // that is not a column of a table (an expression) throws WriteFailed.
    void addNew();
    void edit();
    void setField(const QString &field, const QVariant &value);
    void update();
    void cancelUpdate();
    // Deletes the current record from baseTable() (by its rowid or primary
    // key); the record after it (or EOF) becomes current.
    void remove();

    // Null-aware value of a field of the current record: an invalid QVariant
    // for Null. Text as QString, integers as qlonglong, REAL as double, a
    // DATE column's ISO text as QDate. Between addNew()/edit() and update()
    // a field set by setField() reads back the value set (addNew: Null for
    // the others). Throws DataError with no current record or an unknown field.
    QVariant field(const QString &name) const;
    // The field as text, Null as "" (dates as "YYYY-MM-DD", numbers in C
    // format: the stored text, not a display format).
    QString text(const QString &name) const;
    bool isNull(const QString &name) const;
    QStringList fieldNames() const;

    // Column index of a name (case-insensitive; "table.field" also works),
    // -1 when none. Values of any record by index, for list models.
    int fieldIndex(const QString &name) const;
    int fieldCount() const;
    QVariant valueAt(int row, int column) const;

    // The table the writes go to: the first table after FROM.
    QString baseTable() const;

private:
    enum class Collation { Binary, NoCase, PtBr, RTrim };
    enum class Affinity { None, Text, Numeric, Integer, Real };
    struct Column
    {
        QString name;
        QString table;  // table the column comes from, empty for an expression
        QString origin; // its column name in that table
        QString quoted; // origin as an SQL name
        Collation collation = Collation::Binary;
        Affinity affinity = Affinity::None;
        bool isDate = false;
    };
    // How the rows of one table of the source are told apart: its rowid, or
    // its primary key where SQLite gives no rowid (tables inside a
    // parenthesised join). No key: that table cannot be written.
    struct TableKey
    {
        QString name;
        QStringList keyColumns; // empty: by rowid
        int firstCell = 0;      // its hidden cells at the front of each row
        int cellCount = 0;      // 0: not writable
        QString quoted;         // the table as an SQL name
        QString condition;      // "rowid=?" or "key1=? AND key2=?"
        QString readBack;       // SELECT of the table's columns in the source, by key
        QVector<int> columns;   // ... and their indexes
    };
    enum class Mode { None, Adding, Editing };

    void ensureLoaded() const;
    void load();
    void loadServerSource(const QString &sql, const internal::SourceShape &shape);
    void loadSqliteSource(const QString &sql, const internal::SourceShape &shape);
    static QVector<Column> sqliteColumns(sqlite3 *db, sqlite3_stmt *stmt, int first);
    void loadFromServer(const QString &sql, const QString &withKeys, QVector<TableKey> keys,
                        const internal::SourceShape &shape);
    void adopt(QVector<Column> columns, QVector<TableKey> keys, int hiddenCount, QByteArray data,
               QVector<qsizetype> rowStart, std::vector<qint64> firstRowids, bool rowids,
               const QString &loadedSql, const internal::SourceShape &shape);
    static void setType(Column &col, const QByteArray &decl);
    void requireCurrent() const;
    int requireField(const QString &name) const;
    int tableKey(const QString &table) const;
    const char *rawCell(int row, int index) const;
    const char *cell(int row, int column) const;
    QByteArray keyCells(int row, const TableKey &key) const;
    QVariantList keyValues(int row, const TableKey &key) const;
    QVariant decode(const char *cell, const Column &col) const;
    void patchRow(int row, const QVector<QPair<int, QByteArray>> &cells);
    void updateCurrent();
    void insertNew();
    void discardEdit();
    static bool cellMatches(const char *cell, int collation, const void *wanted);
    static quint32 textHash(QByteArrayView text, int collation);
    const std::vector<std::pair<quint32, int>> &textIndex(int col) const;
    int findThroughTable(int col, const QByteArray &text) const;
    void readOrder(const internal::SourceShape &shape);
    static int compareCells(const char *a, const char *b, int collation);
    int orderedPosition(const QByteArray &row) const;
    bool placeInserted(int tableIndex, qint64 rowid);

    QString m_databaseName;
    RecordSource m_recordSource;
    QVector<Column> m_columns;
    QVector<TableKey> m_keys; // one per table of the FROM clause
    int m_hiddenCells = 0;
    QByteArray m_data; // the cells of every row (hidden key cells first), row after row
    QVector<qsizetype> m_rowStart;
    qsizetype m_garbage = 0;
    int m_pos = -1;
    bool m_loaded = false;
    bool m_noMatch = false;
    Mode m_mode = Mode::None;
    QVector<QPair<int, QVariant>> m_pending;
    // Finds of a text: the rows of a column by the hash of their value, in
    // row order within a hash; kept until the rows change.
    mutable QHash<int, std::vector<std::pair<quint32, int>>> m_textIndexes;
    // The statement the rows were read by (hidden key columns included), and
    // its order as cells of a row; orderKnown false: a new record needs the
    // source run again to find its place.
    struct OrderKey
    {
        int cell = 0;
        int collation = 0;
        bool descending = false;
    };
    QString m_sourceSql;
    std::vector<qint64> m_rowids; // the first table's rowid of each row...
    bool m_hasRowids = false;     // ... when the first table is told apart by rowid
    QVector<OrderKey> m_order;
    bool m_orderKnown = false;
    // Whether the column's table finds a value through an index.
    mutable QHash<int, bool> m_indexedLookup;
};

} // namespace kq::data
