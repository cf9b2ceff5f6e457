#pragma once

// What the parts of the recordset share: the cell format of its rows (inline:
// loading and finding step through every cell), the prepared statements it
// reads and writes with.

#include "data/connection_p.h"
#include "data/dataerror.h"
#include "data/rowstream.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstring>
#include <memory>

#include <sqlite3.h>

namespace kq::data {

namespace internal {

inline const QString kSource = QStringLiteral("Recordset");

// The name of the hidden key cell of table i of the source.
QString hiddenName(int i);

// ---- Cells: a tag byte, then 8 bytes for a number or a 4-byte length and
// the bytes of a text or blob.

enum Tag : char { TagNull = 0, TagInt = 1, TagReal = 2, TagText = 3, TagBlob = 4 };

// Room for n more bytes at the end of out, growing by halves so that
// loading many rows costs few reallocations; returns where to write.
inline char *grow(QByteArray &out, qsizetype n)
{
    const qsizetype at = out.size();
    if (at + n > out.capacity())
        out.reserve(qMax(at + n, out.capacity() + out.capacity() / 2 + 4096));
    out.resize(at + n);
    return out.data() + at;
}

inline void appendCell(QByteArray &out, sqlite3_stmt *stmt, int i)
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

inline void appendCell(QByteArray &out, const RowStream &rows, int i)
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

inline qsizetype cellSize(const char *c)
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

inline qint64 cellInt(const char *c)
{
    qint64 v;
    std::memcpy(&v, c + 1, sizeof v);
    return v;
}

inline double cellReal(const char *c)
{
    double v;
    std::memcpy(&v, c + 1, sizeof v);
    return v;
}

inline QByteArrayView cellBytes(const char *c)
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

// The prepared statement of sql; empty, with the reason in error, when it
// does not prepare or holds no statement.
Stmt prepare(sqlite3 *db, const QString &sql, QString *error);

DataError writeError(const QString &text);

// A write or read-back statement: kept prepared between records.
class Prepared : public CachedStatement
{
public:
    Prepared(sqlite3 *db, const QString &sql, const QVariantList &values);
};

} // namespace internal

} // namespace kq::data
