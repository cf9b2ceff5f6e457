// Reading the record source into dictionary-encoded columns.

#include "cube/model/cubemodel_p.h"

#include "data/database.h"
#include "data/dataerror.h"
#include "data/rowstream.h"
#include "data/sqlitehandle.h"

#include <cstring>
#include <sqlite3.h>

namespace kq::platform {

namespace {

// Rows read between two progress reports.
const int kProgressRows = 8192;

quint64 mix(quint64 h)
{
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

quint64 hashBytes(const char *p, int n)
{
    quint64 h = 0xcbf29ce484222325ULL ^ quint64(n);
    for (int i = 0; i < n; ++i)
        h = (h ^ quint8(p[i])) * 0x100000001b3ULL;
    return mix(h);
}

// The distinct values of one column and the code of every row. Texts are
// told apart by their bytes, numbers by their value (an integer and a real
// of equal value share a code); the first value seen stands for its code.
class ColumnEncoder
{
public:
    ColumnEncoder() { rehash(64); }

    int text(const char *p, int n)
    {
        const quint64 h = hashBytes(p, n);
        for (quint64 i = h & m_mask;; i = (i + 1) & m_mask) {
            Slot &s = m_slots[qsizetype(i)];
            if (s.code < 0)
                return insertText(s, h, p, n);
            if (s.hash == h && m_kind[s.code] == Text) {
                const Span &t = m_texts[s.code];
                if (t.length == n && std::memcmp(m_arena.constData() + t.offset, p, size_t(n)) == 0)
                    return s.code;
            }
        }
    }

    int number(double x, bool integer, qint64 whole)
    {
        if (x == 0)
            x = 0; // -0 and 0 are one value
        quint64 bits;
        std::memcpy(&bits, &x, sizeof bits);
        const quint64 h = mix(bits ^ 0x9e3779b97f4a7c15ULL);
        for (quint64 i = h & m_mask;; i = (i + 1) & m_mask) {
            Slot &s = m_slots[qsizetype(i)];
            if (s.code < 0)
                return insertNumber(s, h, x, integer, whole);
            if (s.hash == h && m_kind[s.code] != Text && m_numbers[s.code] == x)
                return s.code;
        }
    }

    // The dictionary, in code order.
    QVector<QVariant> dictionary() const
    {
        QVector<QVariant> out;
        out.reserve(m_kind.size());
        for (int c = 0; c < m_kind.size(); ++c) {
            switch (m_kind.at(c)) {
            case Text: {
                const Span &t = m_texts.at(c);
                out.append(QString::fromUtf8(m_arena.constData() + t.offset, t.length));
                break;
            }
            case Integer:
                out.append(QVariant(qlonglong(m_wholes.at(c))));
                break;
            default:
                out.append(QVariant(m_numbers.at(c)));
                break;
            }
        }
        return out;
    }

private:
    enum Kind : char { Text, Integer, Real };
    struct Slot
    {
        quint64 hash = 0;
        int code = -1;
    };
    struct Span
    {
        qsizetype offset = 0;
        int length = 0;
    };

    int newCode(Slot &s, quint64 h, Kind kind)
    {
        const int code = int(m_kind.size());
        s.hash = h;
        s.code = code;
        m_kind.append(kind);
        m_texts.append(Span());
        m_numbers.append(0);
        m_wholes.append(0);
        if (m_kind.size() * 2 > m_slots.size())
            rehash(m_slots.size() * 2);
        return code;
    }

    int insertText(Slot &s, quint64 h, const char *p, int n)
    {
        const qsizetype at = m_arena.size();
        m_arena.append(p, n);
        const int code = newCode(s, h, Text);
        m_texts[code] = {at, n};
        return code;
    }

    int insertNumber(Slot &s, quint64 h, double x, bool integer, qint64 whole)
    {
        const int code = newCode(s, h, integer ? Integer : Real);
        m_numbers[code] = x;
        m_wholes[code] = whole;
        return code;
    }

    void rehash(qsizetype size)
    {
        QVector<Slot> old;
        old.swap(m_slots);
        m_slots.resize(size);
        m_mask = quint64(size - 1);
        for (const Slot &s : std::as_const(old)) {
            if (s.code < 0)
                continue;
            quint64 i = s.hash & m_mask;
            while (m_slots[qsizetype(i)].code >= 0)
                i = (i + 1) & m_mask;
            m_slots[qsizetype(i)] = s;
        }
    }

    QVector<Slot> m_slots;
    quint64 m_mask = 0;
    QVector<Kind> m_kind;
    QVector<Span> m_texts;
    QVector<double> m_numbers;
    QVector<qint64> m_wholes;
    QByteArray m_arena;
};

// The columns as they are read, a row at a time.
class Reading
{
public:
    explicit Reading(const QStringList &names)
        : m_encoders(static_cast<size_t>(names.size()))
    {
        m_out.columns.resize(names.size());
        for (int i = 0; i < names.size(); ++i)
            m_out.columns[i].name = names.at(i);
    }
    int columnCount() const { return int(m_encoders.size()); }
    void text(int i, const char *p, int n) { code(i, m_encoders[size_t(i)].text(p, n)); }
    void number(int i, double x, bool integer, qint64 whole)
    {
        code(i, m_encoders[size_t(i)].number(x, integer, whole));
    }
    void null(int i) { code(i, -1); }
    // After each row: false when the progress asks to stop.
    bool rowDone(const CubeProgress &progress)
    {
        if (++m_rows % kProgressRows == 0 && progress && !progress(m_rows, 0)) {
            m_out.cancelled = true;
            return false;
        }
        return true;
    }
    CubeSourceRead failed(const QString &error, int code)
    {
        m_out.error = error;
        m_out.code = code;
        return std::move(m_out);
    }
    CubeSourceRead stopped() { return std::move(m_out); }
    CubeSourceRead finish()
    {
        for (int i = 0; i < columnCount(); ++i)
            m_out.columns[i].dict = m_encoders[size_t(i)].dictionary();
        m_out.rows = m_rows;
        m_out.ok = true;
        return std::move(m_out);
    }

private:
    void code(int i, int c) { m_out.columns[i].codes.append(c); }
    CubeSourceRead m_out;
    std::vector<ColumnEncoder> m_encoders;
    int m_rows = 0;
};

class Statement
{
public:
    ~Statement() { sqlite3_finalize(stmt); }
    sqlite3_stmt *stmt = nullptr;
};

// Straight from SQLite: no variant per value.
CubeSourceRead readSqlite(sqlite3 *db, const QString &sql, const CubeProgress &progress)
{
    Statement s;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &s.stmt, nullptr) != SQLITE_OK
        || !s.stmt)
        return Reading({}).failed(QString::fromUtf8(sqlite3_errmsg(db)),
                                  sqlite3_extended_errcode(db));
    QStringList names;
    for (int i = 0; i < sqlite3_column_count(s.stmt); ++i)
        names << QString::fromUtf8(sqlite3_column_name(s.stmt, i));
    Reading reading(names);
    const int n = reading.columnCount();
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
        for (int i = 0; i < n; ++i) {
            // One call into the statement per value; the value calls take no lock.
            sqlite3_value *v = sqlite3_column_value(s.stmt, i);
            switch (sqlite3_value_type(v)) {
            case SQLITE_NULL:
                reading.null(i);
                break;
            case SQLITE_INTEGER: {
                const qint64 x = sqlite3_value_int64(v);
                reading.number(i, double(x), true, x);
                break;
            }
            case SQLITE_FLOAT:
                reading.number(i, sqlite3_value_double(v), false, 0);
                break;
            default: {
                const char *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
                reading.text(i, p ? p : "", sqlite3_value_bytes(v));
                break;
            }
            }
        }
        if (!reading.rowDone(progress))
            return reading.stopped();
    }
    if (rc != SQLITE_DONE)
        return reading.failed(QString::fromUtf8(sqlite3_errmsg(db)), sqlite3_extended_errcode(db));
    return reading.finish();
}

// A server's rows, through the data layer's forward reader (a cursor that
// brings them in batches).
CubeSourceRead readRows(kq::data::RowStream &rows, const CubeProgress &progress)
{
    using Type = kq::data::RowStream::Type;
    Reading reading(rows.fieldNames());
    const int n = reading.columnCount();
    while (rows.next()) {
        for (int i = 0; i < n; ++i) {
            switch (rows.type(i)) {
            case Type::Null:
                reading.null(i);
                break;
            case Type::Integer: {
                const qint64 x = rows.integer(i);
                reading.number(i, double(x), true, x);
                break;
            }
            case Type::Real:
                reading.number(i, rows.real(i), false, 0);
                break;
            default: {
                const QByteArrayView b = rows.bytes(i);
                reading.text(i, b.isNull() ? "" : b.data(), int(b.size()));
                break;
            }
            }
        }
        if (!reading.rowDone(progress))
            return reading.stopped();
    }
    return reading.finish();
}

} // namespace

CubeSourceRead readCubeSource(const QString &path, const QString &sql, const CubeProgress &progress)
{
    try {
        if (kq::data::dialectOf(path) == kq::data::Dialect::Postgres)
            return readRows(*kq::data::RowStream::open(path, sql), progress);
        sqlite3 *h = kq::data::sqliteHandle(kq::data::database(path));
        CubeSourceRead read = readSqlite(h, sql, progress);
        // A failure of the file itself is told as the data layer tells it.
        if (!read.ok && !read.cancelled && kq::data::isFileFailure(read.code))
            read.error = kq::data::databaseError(read.code, read.error, path, {}).description();
        return read;
    } catch (const kq::data::DataError &e) {
        CubeSourceRead out;
        out.error = e.description();
        return out;
    }
}

} // namespace kq::platform
