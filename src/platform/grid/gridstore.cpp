#include "gridstore.h"

#include "data/collation.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace kq::platform {

namespace {

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

constexpr double kNullKey = -std::numeric_limits<double>::infinity();

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

void FieldData::append(const QVariant &v)
{
    const Kind k = kindOf(v);
    m_ranksValid = false;
    if (m_kind == Empty && k != Empty) {
        // First value: earlier rows were all null.
        m_kind = k;
        switch (k) {
        case Int:
            m_ints.assign(m_size, 0);
            m_nulls.assign(m_size, true);
            break;
        case Real:
            m_reals.assign(m_size, 0);
            m_nulls.assign(m_size, true);
            break;
        case Text:
            m_texts.assign(m_size, -1);
            break;
        default:
            m_vars.assign(m_size, QVariant());
            break;
        }
    }
    if (k != Empty && k != m_kind) {
        if (m_kind == Int && k == Real)
            toReal();
        else if (!(m_kind == Real && k == Int))
            toVariant();
    }
    switch (m_kind) {
    case Empty:
        break;
    case Int:
        m_ints.push_back(k == Empty ? 0 : v.toLongLong());
        m_nulls.push_back(k == Empty);
        break;
    case Real:
        m_reals.push_back(k == Empty ? 0 : v.toDouble());
        m_nulls.push_back(k == Empty);
        break;
    case Text:
        if (k == Empty) {
            m_texts.push_back(-1);
        } else {
            const QString s = v.toString();
            auto it = m_dictIndex.constFind(s);
            if (it == m_dictIndex.constEnd()) {
                it = m_dictIndex.insert(s, qint32(m_dict.size()));
                m_dict.push_back(s);
            }
            m_texts.push_back(it.value());
        }
        break;
    case Variant:
        m_vars.push_back(k == Empty ? QVariant() : v);
        break;
    }
    ++m_size;
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
    m_texts = {};
    m_dict.clear();
    m_dictIndex.clear();
    m_vars = std::move(vars);
    m_kind = Variant;
    m_ranksValid = false;
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
    case Text:
        return m_texts[row] < 0 ? QVariant() : QVariant(m_dict[m_texts[row]]);
    case Variant:
        return m_vars[row];
    }
    return QVariant();
}

bool FieldData::isNull(int row) const
{
    switch (m_kind) {
    case Empty:
        return true;
    case Int:
    case Real:
        return m_nulls[row];
    case Text:
        return m_texts[row] < 0;
    case Variant:
        return m_vars[row].isNull() || !m_vars[row].isValid();
    }
    return true;
}

bool FieldData::number(int row, double *out) const
{
    if (row < 0 || row >= m_size || isNull(row))
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
        *out = m_dict[m_texts[row]].toDouble(&ok);
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
    if (m_kind == Text) {
        std::vector<qint32> ids(m_dict.size());
        std::iota(ids.begin(), ids.end(), 0);
        std::sort(ids.begin(), ids.end(), [this](qint32 a, qint32 b) {
            return kq::data::compareText(m_dict[a], m_dict[b]) < 0;
        });
        m_ranks.assign(m_dict.size(), 0);
        double rank = 0;
        for (size_t i = 0; i < ids.size(); ++i) {
            if (i > 0 && kq::data::compareText(m_dict[ids[i - 1]], m_dict[ids[i]]) != 0)
                ++rank;
            m_ranks[ids[i]] = rank;
        }
    } else if (m_kind == Variant) {
        std::vector<int> rows(m_size);
        std::iota(rows.begin(), rows.end(), 0);
        std::stable_sort(rows.begin(), rows.end(), [this](int a, int b) {
            return compareVariants(m_vars[a], m_vars[b]) < 0;
        });
        m_ranks.assign(m_size, 0);
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
    if (row < 0 || row >= m_size || isNull(row))
        return kNullKey;
    switch (m_kind) {
    case Int:
        return double(m_ints[row]);
    case Real:
        return m_reals[row];
    case Text:
        buildRanks();
        return m_ranks[m_texts[row]];
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
    if (m_kind == Empty || (k != Empty && k != m_kind && !(m_kind == Real && k == Int)))
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
    case Text:
        if (k == Empty) {
            m_texts[row] = -1;
        } else {
            const QString s = v.toString();
            auto it = m_dictIndex.constFind(s);
            if (it == m_dictIndex.constEnd()) {
                it = m_dictIndex.insert(s, qint32(m_dict.size()));
                m_dict.push_back(s);
            }
            m_texts[row] = it.value();
        }
        break;
    default:
        m_vars[row] = v;
        break;
    }
}

} // namespace kq::platform
