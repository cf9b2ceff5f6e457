#include "platform/grid/gridstore.h"

#include "data/collation.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <string_view>
#include <unordered_map>

namespace kq::platform {

namespace {

constexpr double kNullKey = -std::numeric_limits<double>::infinity();

FieldData::Kind kindOf(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return FieldData::Empty;
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::Bool:
        return FieldData::Int;
    case QMetaType::Double:
    case QMetaType::Float:
        return FieldData::Real;
    case QMetaType::QString:
        return FieldData::Text;
    default:
        return FieldData::Variant;
    }
}

// Order of mixed values: numbers before texts, texts by the databases' order.
int compareVariants(const QVariant &a, const QVariant &b)
{
    const bool an = a.isNull() || !a.isValid();
    const bool bn = b.isNull() || !b.isValid();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    bool aok = false;
    bool bok = false;
    const double ad = a.metaType().id() == QMetaType::QString ? 0 : a.toDouble(&aok);
    const double bd = b.metaType().id() == QMetaType::QString ? 0 : b.toDouble(&bok);
    if (aok && bok)
        return ad < bd ? -1 : (ad > bd ? 1 : 0);
    if (aok != bok)
        return aok ? -1 : 1;
    return kq::data::compareText(a.toString(), b.toString());
}

} // namespace

void FieldData::start(Kind kind)
{
    // The first value: every earlier row was null.
    m_kind = kind;
    switch (kind) {
    case Int:
        m_ints.assign(m_size, 0);
        m_nulls.assign(m_size, true);
        break;
    case Real:
        m_reals.assign(m_size, 0);
        m_nulls.assign(m_size, true);
        break;
    case Text:
        m_offsets.assign(m_size + 1, 0);
        m_nulls.assign(m_size, true);
        break;
    case Variant:
        m_vars.assign(m_size, QVariant());
        break;
    case Empty:
        break;
    }
}

void FieldData::appendNullOther()
{
    m_ranksValid = false;
    switch (m_kind) {
    case Empty:
        break;
    case Int:
        m_ints.push_back(0);
        m_nulls.push_back(true);
        break;
    case Real:
        m_reals.push_back(0);
        m_nulls.push_back(true);
        break;
    case Text:
        m_offsets.push_back(quint32(m_bytes.size()));
        m_nulls.push_back(true);
        break;
    case Variant:
        m_vars.emplace_back();
        break;
    }
    ++m_size;
}

void FieldData::appendIntOther(qint64 v)
{
    if (m_kind == Empty)
        start(Int);
    m_ranksValid = false;
    if (m_kind == Int) {
        m_ints.push_back(v);
        m_nulls.push_back(false);
    } else if (m_kind == Real) {
        m_reals.push_back(double(v));
        m_nulls.push_back(false);
    } else {
        if (m_kind != Variant)
            toVariant();
        m_vars.emplace_back(v);
    }
    ++m_size;
}

void FieldData::appendRealOther(double v)
{
    if (m_kind == Empty)
        start(Real);
    if (m_kind == Int)
        toReal();
    m_ranksValid = false;
    if (m_kind == Real) {
        m_reals.push_back(v);
        m_nulls.push_back(false);
    } else {
        if (m_kind != Variant)
            toVariant();
        m_vars.emplace_back(v);
    }
    ++m_size;
}

void FieldData::appendTextOther(const char *utf8, int bytes)
{
    if (m_kind == Empty)
        start(Text);
    m_ranksValid = false;
    if (m_kind == Text) {
        m_bytes.append(utf8, size_t(bytes));
        m_offsets.push_back(quint32(m_bytes.size()));
        m_nulls.push_back(false);
    } else {
        if (m_kind != Variant)
            toVariant();
        m_vars.emplace_back(QString::fromUtf8(utf8, bytes));
    }
    ++m_size;
}

void FieldData::append(const QVariant &v)
{
    switch (kindOf(v)) {
    case Empty:
        appendNull();
        break;
    case Int:
        appendInt(v.toLongLong());
        break;
    case Real:
        appendReal(v.toDouble());
        break;
    case Text: {
        const QByteArray utf8 = v.toString().toUtf8();
        appendText(utf8.constData(), int(utf8.size()));
        break;
    }
    case Variant:
        if (m_kind != Variant)
            toVariant();
        m_vars.push_back(v);
        m_ranksValid = false;
        ++m_size;
        break;
    }
}

void FieldData::toReal()
{
    m_reals.resize(m_ints.size());
    for (size_t i = 0; i < m_ints.size(); ++i)
        m_reals[i] = double(m_ints[i]);
    m_ints = {};
    m_kind = Real;
}

void FieldData::toVariant()
{
    std::vector<QVariant> vars(m_size);
    for (int i = 0; i < m_size; ++i)
        vars[i] = value(i);
    m_ints = {};
    m_reals = {};
    m_nulls = {};
    m_bytes = {};
    m_offsets = {};
    m_vars = std::move(vars);
    m_kind = Variant;
    m_ranksValid = false;
}

QByteArrayView FieldData::textAt(int row) const
{
    return QByteArrayView(m_bytes.data() + m_offsets[row],
                          qsizetype(m_offsets[row + 1] - m_offsets[row]));
}

QVariant FieldData::value(int row) const
{
    if (row < 0 || row >= m_size)
        return QVariant();
    switch (m_kind) {
    case Empty:
        return QVariant();
    case Int:
        return m_nulls[row] ? QVariant() : QVariant(m_ints[row]);
    case Real:
        return m_nulls[row] ? QVariant() : QVariant(m_reals[row]);
    case Text: {
        if (m_nulls[row])
            return QVariant();
        const QByteArrayView t = textAt(row);
        return QVariant(QString::fromUtf8(t.data(), t.size()));
    }
    case Variant:
        return m_vars[row];
    }
    return QVariant();
}

bool FieldData::isNull(int row) const
{
    if (row < 0 || row >= m_size)
        return true;
    switch (m_kind) {
    case Empty:
        return true;
    case Int:
    case Real:
    case Text:
        return m_nulls[row];
    case Variant:
        return m_vars[row].isNull() || !m_vars[row].isValid();
    }
    return true;
}

bool FieldData::number(int row, double *out) const
{
    if (isNull(row))
        return false;
    switch (m_kind) {
    case Int:
        *out = double(m_ints[row]);
        return true;
    case Real:
        *out = m_reals[row];
        return true;
    case Text: {
        bool ok = false;
        *out = textAt(row).toByteArray().toDouble(&ok);
        return ok;
    }
    case Variant: {
        bool ok = false;
        *out = m_vars[row].toDouble(&ok);
        return ok;
    }
    default:
        return false;
    }
}

void FieldData::buildRanks() const
{
    if (m_ranksValid)
        return;
    m_ranks.assign(m_size, kNullKey);
    if (m_kind == Text) {
        // Distinct texts first, so that a column of few values sorts fast.
        std::unordered_map<std::string_view, int> ids;
        std::vector<int> firstRow;
        std::vector<int> idOfRow(m_size, -1);
        for (int r = 0; r < m_size; ++r) {
            if (m_nulls[r])
                continue;
            const QByteArrayView t = textAt(r);
            const auto [it, added]
                = ids.emplace(std::string_view(t.data(), size_t(t.size())), int(firstRow.size()));
            if (added)
                firstRow.push_back(r);
            idOfRow[r] = it->second;
        }
        std::vector<int> order(firstRow.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            return kq::data::compareTextUtf8(textAt(firstRow[a]), textAt(firstRow[b])) < 0;
        });
        std::vector<double> rankOfId(firstRow.size(), 0);
        double rank = 0;
        for (size_t i = 0; i < order.size(); ++i) {
            if (i > 0
                && kq::data::compareTextUtf8(textAt(firstRow[order[i - 1]]),
                                             textAt(firstRow[order[i]]))
                       != 0)
                ++rank;
            rankOfId[order[i]] = rank;
        }
        for (int r = 0; r < m_size; ++r) {
            if (idOfRow[r] >= 0)
                m_ranks[r] = rankOfId[idOfRow[r]];
        }
    } else if (m_kind == Variant) {
        std::vector<int> rows(m_size);
        std::iota(rows.begin(), rows.end(), 0);
        std::stable_sort(rows.begin(), rows.end(), [this](int a, int b) {
            return compareVariants(m_vars[a], m_vars[b]) < 0;
        });
        double rank = 0;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (i > 0 && compareVariants(m_vars[rows[i - 1]], m_vars[rows[i]]) != 0)
                ++rank;
            m_ranks[rows[i]] = isNull(rows[i]) ? kNullKey : rank;
        }
    }
    m_ranksValid = true;
}

double FieldData::sortKey(int row) const
{
    if (isNull(row))
        return kNullKey;
    switch (m_kind) {
    case Int:
        return double(m_ints[row]);
    case Real:
        return m_reals[row];
    case Text:
    case Variant:
        buildRanks();
        return m_ranks[row];
    default:
        return kNullKey;
    }
}

void FieldData::setValue(int row, const QVariant &v)
{
    if (row < 0 || row >= m_size)
        return;
    const Kind k = kindOf(v);
    const bool fits = (m_kind == Int && (k == Int || k == Empty))
                      || (m_kind == Real && (k == Real || k == Int || k == Empty));
    if (!fits && m_kind != Variant)
        toVariant();
    m_ranksValid = false;
    switch (m_kind) {
    case Int:
        m_ints[row] = v.toLongLong();
        m_nulls[row] = k == Empty;
        break;
    case Real:
        m_reals[row] = v.toDouble();
        m_nulls[row] = k == Empty;
        break;
    default:
        m_vars[row] = v;
        break;
    }
}

} // namespace kq::platform
