#include "data/collation.h"

#include <QChar>
#include <QString>

#include <array>
#include <cstring>

// Changing the weights below changes the order of every index built on a PTBR
// column: such a change needs a REINDEX of the existing databases.

namespace kq::data {

namespace {

struct Weight
{
    char32_t primary;   // base letter, lower case: decides the order
    char32_t secondary; // lower-case letter with its accent: breaks ties
};

constexpr char32_t kFirstTable = 0xC0;
constexpr char32_t kEndTable = 0x250; // Latin-1 letters and Latin Extended A/B

Weight computeWeight(char32_t c)
{
    const char32_t lower = QChar::toCaseFolded(c);
    char32_t base = lower;
    if (lower == 0xDF) {
        base = U's';
    } else if (lower == 0xE6) {
        base = U'a';
    } else if (lower == 0xF0) {
        base = U'd';
    } else if (lower == 0xF8) {
        base = U'o';
    } else if (QChar::decompositionTag(lower) == QChar::Canonical) {
        const QString d = QChar::decomposition(lower);
        if (!d.isEmpty() && d.at(0).unicode() < 0x80)
            base = QChar::toCaseFolded(d.at(0).unicode());
    }
    return {base, lower};
}

const std::array<Weight, kEndTable - kFirstTable> &table()
{
    static const auto t = [] {
        std::array<Weight, kEndTable - kFirstTable> a{};
        for (char32_t c = kFirstTable; c < kEndTable; ++c)
            a[c - kFirstTable] = computeWeight(c);
        return a;
    }();
    return t;
}

inline Weight weight(char32_t c)
{
    if (c < 0x80) {
        const char32_t l = (c >= U'A' && c <= U'Z') ? c + 32 : c;
        return {l, l};
    }
    if (c >= kFirstTable && c < kEndTable)
        return table()[c - kFirstTable];
    if (c < kFirstTable)
        return {c, c};
    const char32_t l = QChar::toCaseFolded(c);
    return {l, l};
}

class Utf8Reader
{
public:
    explicit Utf8Reader(QByteArrayView v)
        : m_p(reinterpret_cast<const unsigned char *>(v.data()))
        , m_end(m_p + v.size())
    {}
    bool atEnd() const { return m_p >= m_end; }
    char32_t next()
    {
        const unsigned char b = *m_p++;
        if (b < 0x80)
            return b;
        int extra = 0;
        char32_t c = 0;
        if ((b & 0xE0) == 0xC0) {
            extra = 1;
            c = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            c = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            c = b & 0x07;
        } else {
            return b; // stray byte: compared as itself
        }
        if (m_end - m_p < extra)
            return b;
        for (int i = 0; i < extra; ++i) {
            if ((m_p[i] & 0xC0) != 0x80)
                return b;
        }
        for (int i = 0; i < extra; ++i)
            c = (c << 6) | (*m_p++ & 0x3F);
        return c;
    }

private:
    const unsigned char *m_p;
    const unsigned char *m_end;
};

class Utf16Reader
{
public:
    explicit Utf16Reader(QStringView v)
        : m_p(v.utf16())
        , m_end(m_p + v.size())
    {}
    bool atEnd() const { return m_p >= m_end; }
    char32_t next()
    {
        const char16_t u = *m_p++;
        if (QChar::isHighSurrogate(u) && m_p < m_end && QChar::isLowSurrogate(*m_p))
            return QChar::surrogateToUcs4(u, *m_p++);
        return u;
    }

private:
    const char16_t *m_p;
    const char16_t *m_end;
};

template<class Reader>
int compareWith(Reader a, Reader b)
{
    const Reader a0 = a;
    const Reader b0 = b;
    for (;;) {
        const bool endA = a.atEnd();
        const bool endB = b.atEnd();
        if (endA || endB) {
            if (endA && endB)
                break;
            return endA ? -1 : 1;
        }
        const char32_t ca = a.next();
        const char32_t cb = b.next();
        if (ca == cb)
            continue;
        const char32_t pa = weight(ca).primary;
        const char32_t pb = weight(cb).primary;
        if (pa != pb)
            return pa < pb ? -1 : 1;
    }
    a = a0;
    b = b0;
    while (!a.atEnd()) {
        const char32_t ca = a.next();
        const char32_t cb = b.next();
        if (ca == cb)
            continue;
        const char32_t sa = weight(ca).secondary;
        const char32_t sb = weight(cb).secondary;
        if (sa != sb)
            return sa < sb ? -1 : 1;
    }
    return 0;
}

} // namespace

int compareText(QStringView a, QStringView b)
{
    return compareWith(Utf16Reader(a), Utf16Reader(b));
}

int compareTextUtf8(QByteArrayView a, QByteArrayView b)
{
    return compareWith(Utf8Reader(a), Utf8Reader(b));
}

quint32 hashTextUtf8(QByteArrayView text)
{
    // Equal texts have equal letters with their accents, case aside: the
    // secondary weights.
    quint32 h = 2166136261u;
    Utf8Reader r(text);
    while (!r.atEnd()) {
        h ^= quint32(weight(r.next()).secondary);
        h *= 16777619u;
    }
    return h;
}

int compareNoCaseUtf8(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'A' && ca <= 'Z')
            ca += 32;
        if (cb >= 'A' && cb <= 'Z')
            cb += 32;
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int compareBinaryUtf8(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = qMin(a.size(), b.size());
    const int c = n > 0 ? std::memcmp(a.data(), b.data(), size_t(n)) : 0;
    if (c != 0)
        return c < 0 ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace kq::data
