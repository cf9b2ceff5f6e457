#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace kq::platform {

// A growing array of plain values kept by realloc: a large array grows in
// place (mapped pages moved, not copied) where std::vector copies each step.
template<typename T>
class PodArray
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PodArray() = default;
    PodArray(const PodArray &o) { append(o.m_data, o.m_size); }
    PodArray(PodArray &&o) noexcept
        : m_data(std::exchange(o.m_data, nullptr))
        , m_size(std::exchange(o.m_size, 0))
        , m_capacity(std::exchange(o.m_capacity, 0))
    {}
    PodArray &operator=(PodArray o) noexcept
    {
        std::swap(m_data, o.m_data);
        std::swap(m_size, o.m_size);
        std::swap(m_capacity, o.m_capacity);
        return *this;
    }
    ~PodArray() { std::free(m_data); }

    size_t size() const { return m_size; }
    T *data() { return m_data; }
    const T *data() const { return m_data; }
    T &operator[](size_t i) { return m_data[i]; }
    const T &operator[](size_t i) const { return m_data[i]; }

    void push_back(T v)
    {
        if (m_size == m_capacity)
            grow(m_size + 1);
        m_data[m_size++] = v;
    }
    void append(const T *values, size_t n)
    {
        if (m_size + n > m_capacity)
            grow(m_size + n);
        if (n)
            std::memcpy(m_data + m_size, values, n * sizeof(T));
        m_size += n;
    }
    void assign(size_t n, T v)
    {
        m_size = 0;
        resize(n, v);
    }
    void resize(size_t n, T v = T())
    {
        if (n > m_capacity)
            grow(n);
        for (size_t i = m_size; i < n; ++i)
            m_data[i] = v;
        m_size = n;
    }

private:
    void grow(size_t need)
    {
        size_t capacity = std::max<size_t>({need, m_capacity * 2, 64 / sizeof(T)});
        void *p = std::realloc(m_data, capacity * sizeof(T));
        if (!p)
            throw std::bad_alloc();
        m_data = static_cast<T *>(p);
        m_capacity = capacity;
    }

    T *m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

// The values of one field for every record, held by type: whole numbers and
// reals in plain arrays, texts as UTF-8 in one buffer with an offset per
// row. A QVariant is made only when a value is read.
class FieldData
{
public:
    enum Kind : quint8 { Empty, Int, Real, Text, Variant };

    void appendNull();
    void appendInt(qint64 v);
    void appendReal(double v);
    void appendText(const char *utf8, int bytes);
    void append(const QVariant &value);

    QVariant value(int row) const;
    bool isNull(int row) const;
    // The value as a number; false when it is null or not a number.
    bool number(int row, double *out) const;
    // A key that orders the rows as the value does: nulls first, numbers by
    // value, texts by the databases' text order (case ignored), so equal keys
    // are equal values. Valid until the next change.
    double sortKey(int row) const;
    void setValue(int row, const QVariant &value);
    int size() const { return m_size; }
    Kind kind() const { return m_kind; }

private:
    void appendNullOther();
    void appendIntOther(qint64 v);
    void appendRealOther(double v);
    void appendTextOther(const char *utf8, int bytes);
    void start(Kind kind);
    void toVariant();
    void toReal();
    void buildRanks() const;
    QByteArrayView textAt(int row) const;

    Kind m_kind = Empty;
    int m_size = 0;
    PodArray<qint64> m_ints;
    PodArray<double> m_reals;
    PodArray<quint8> m_nulls;    // Int, Real and Text
    PodArray<char> m_bytes;      // Text: every value, one after another
    PodArray<quint32> m_offsets; // Text: start of each row, and the end
    std::vector<QVariant> m_vars;
    mutable std::vector<double> m_ranks; // per row, Text and Variant
    mutable bool m_ranksValid = false;
};

// A value of the field's own kind is appended here, the rest out of line.
inline void FieldData::appendNull()
{
    if (m_kind != Int && m_kind != Real && m_kind != Text) {
        appendNullOther();
        return;
    }
    m_ranksValid = false;
    if (m_kind == Int)
        m_ints.push_back(0);
    else if (m_kind == Real)
        m_reals.push_back(0);
    else
        m_offsets.push_back(quint32(m_bytes.size()));
    m_nulls.push_back(true);
    ++m_size;
}

inline void FieldData::appendInt(qint64 v)
{
    if (m_kind != Int) {
        appendIntOther(v);
        return;
    }
    m_ranksValid = false;
    m_ints.push_back(v);
    m_nulls.push_back(false);
    ++m_size;
}

inline void FieldData::appendReal(double v)
{
    if (m_kind != Real) {
        appendRealOther(v);
        return;
    }
    m_ranksValid = false;
    m_reals.push_back(v);
    m_nulls.push_back(false);
    ++m_size;
}

inline void FieldData::appendText(const char *utf8, int bytes)
{
    if (m_kind != Text) {
        appendTextOther(utf8, bytes);
        return;
    }
    m_ranksValid = false;
    m_bytes.append(utf8, size_t(bytes));
    m_offsets.push_back(quint32(m_bytes.size()));
    m_nulls.push_back(false);
    ++m_size;
}

// The records of one refresh: one FieldData per bound field.
struct GridStore
{
    QStringList fields; // lower-case field names, one per slot
    std::vector<FieldData> data;
    int rows = 0; // rows shown; data may hold more, still to be announced
    int read = 0; // rows in data

    int slotOf(const QString &field) const { return fields.indexOf(field.toLower()); }
};

} // namespace kq::platform
