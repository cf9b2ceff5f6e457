// Reading the record source into dictionary-encoded columns.

#include "cube/model/cubemodel_p.h"

#include "data/cellreader.h"
#include "data/dataerror.h"

#include <cstring>

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
class Reading : public kq::data::CellSink
{
public:
    explicit Reading(const CubeProgress &progress)
        : m_progress(progress)
    {}
    void columns(const QStringList &names) override
    {
        m_encoders.resize(static_cast<size_t>(names.size()));
        m_out.columns.resize(names.size());
        for (int i = 0; i < names.size(); ++i)
            m_out.columns[i].name = names.at(i);
    }
    bool row(const kq::data::RowStream::Cell *cells, int count) override
    {
        using Type = kq::data::RowStream::Type;
        for (int i = 0; i < count; ++i) {
            const kq::data::RowStream::Cell &c = cells[i];
            switch (c.type) {
            case Type::Null:
                code(i, -1);
                break;
            case Type::Integer:
                code(i, m_encoders[size_t(i)].number(double(c.integer), true, c.integer));
                break;
            case Type::Real:
                code(i, m_encoders[size_t(i)].number(c.real, false, 0));
                break;
            default:
                code(i, m_encoders[size_t(i)].text(c.bytes.data(), int(c.bytes.size())));
                break;
            }
        }
        // False when the progress asks to stop.
        if (++m_rows % kProgressRows == 0 && m_progress && !m_progress(m_rows, 0)) {
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
        for (size_t i = 0; i < m_encoders.size(); ++i)
            m_out.columns[qsizetype(i)].dict = m_encoders[i].dictionary();
        m_out.rows = m_rows;
        m_out.ok = true;
        return std::move(m_out);
    }

private:
    void code(int i, int c) { m_out.columns[i].codes.append(c); }
    const CubeProgress &m_progress;
    CubeSourceRead m_out;
    std::vector<ColumnEncoder> m_encoders;
    int m_rows = 0;
};

} // namespace

CubeSourceRead readCubeSource(const QString &path, const QString &sql, const CubeProgress &progress)
{
    try {
        Reading reading(progress);
        const kq::data::CellReadEnd end = kq::data::readCells(path, sql, reading);
        if (end.stopped)
            return reading.stopped();
        if (!end.ok)
            return reading.failed(end.error, end.code);
        return reading.finish();
    } catch (const kq::data::DataError &e) {
        CubeSourceRead out;
        out.error = e.description();
        return out;
    }
}

} // namespace kq::platform
