#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

namespace kq::import {

// One field of a row of an old table, in the form the old file stores it.
struct SourceValue
{
    enum class Type : quint8 { Null, Boolean, Integer, Real, Currency, DateTime, Text, Binary };
    Type type = Type::Null;
    // Boolean (0 or 1), Integer, Currency (in ten-thousandths, as stored).
    qint64 integer = 0;
    // Real; DateTime: days since 30/12/1899, the time of day as fraction.
    double real = 0;
    QString text;
    QByteArray bytes;

    static SourceValue null() { return {}; }
    static SourceValue boolean(bool b) { return make(Type::Boolean, b ? 1 : 0); }
    static SourceValue integer64(qint64 i) { return make(Type::Integer, i); }
    static SourceValue currency(qint64 tenThousandths)
    {
        return make(Type::Currency, tenThousandths);
    }
    static SourceValue number(double d) { return make(Type::Real, 0, d); }
    static SourceValue dateTime(double days) { return make(Type::DateTime, 0, days); }
    static SourceValue string(const QString &s)
    {
        SourceValue v;
        v.type = Type::Text;
        v.text = s;
        return v;
    }
    static SourceValue binary(const QByteArray &b)
    {
        SourceValue v;
        v.type = Type::Binary;
        v.bytes = b;
        return v;
    }
    bool isNull() const { return type == Type::Null; }

private:
    static SourceValue make(Type t, qint64 i, double d = 0)
    {
        SourceValue v;
        v.type = t;
        v.integer = i;
        v.real = d;
        return v;
    }
};

using SourceRow = QVector<SourceValue>;

// A table of an old database, read row by row (by the import, in a thread
// of its own while the rows read before are written).
class SourceTable
{
public:
    virtual ~SourceTable() = default;
    virtual QString name() const = 0;
    virtual QStringList columns() const = 0;
    // The number of rows the file states (for the progress).
    virtual qint64 rowCount() const = 0;
    // Reads the next row, one value per column; false after the last one.
    // Throws ImportError when the file cannot be read.
    virtual bool next(SourceRow &row) = 0;
};

// An old database: its tables by name.
class SourceDatabase
{
public:
    virtual ~SourceDatabase() = default;
    // The file, as messages name it.
    virtual QString fileName() const = 0;
    virtual QStringList tableNames() const = 0;
    // Throws ImportError when the table cannot be read.
    virtual std::unique_ptr<SourceTable> table(const QString &name) = 0;
};

} // namespace kq::import
