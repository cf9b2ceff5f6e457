#pragma once

#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace kq::data {

// A data control's recordset: a database path and a record source (Jet SQL,
// translated), a current record, and record-by-record writes on the base
// table of the source. Field names are matched without regard to case.
// Every write is one statement with bound values; a find never builds SQL
// from the value it looks for.
class Recordset
{
public:
    Recordset() = default;
    Recordset(const QString &databaseName, const QString &recordSource);

    void setDatabaseName(const QString &path);
    QString databaseName() const { return m_databaseName; }
    void setRecordSource(const QString &jetSql);
    QString recordSource() const { return m_recordSource; }

    // Runs the record source again; the first record becomes current.
    void refresh();

    bool eof() const;
    bool bof() const;
    int recordCount() const;
    int position() const { return m_pos; }

    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();

    // Finds the first record whose field equals the value (text compared as
    // the column's collation does). On no match the current record is left
    // where it was and noMatch() is true.
    bool findFirst(const QString &field, const QVariant &value);
    bool noMatch() const { return m_noMatch; }

    // Writes: addNew() or edit(), setField() as often as needed, update().
    void addNew();
    void edit();
    void setField(const QString &field, const QVariant &value);
    void update();
    void cancelUpdate();
    // Deletes the current record; the record after it (or EOF) becomes current.
    void remove();

    // Null-aware value of a field of the current record: an invalid QVariant
    // for Null. Throws DataError with no current record or an unknown field.
    QVariant field(const QString &name) const;
    // The field as text, Null as "".
    QString text(const QString &name) const;
    bool isNull(const QString &name) const;
    QStringList fieldNames() const;

    // The table the writes go to: the first table after FROM.
    QString baseTable() const;

private:
    QString m_databaseName;
    QString m_recordSource;
    QSqlRecord m_columns;
    QVector<QVector<QVariant>> m_rows;
    QVector<qint64> m_rowids;
    int m_pos = -1;
    bool m_noMatch = false;
    enum class Mode { None, Adding, Editing } m_mode = Mode::None;
    QVector<QPair<QString, QVariant>> m_pending;
};

} // namespace kq::data
