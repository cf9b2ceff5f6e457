#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>
#include <vector>

namespace kq::platform {

// The values of one field for every record, held by type: whole numbers and
// reals in plain arrays, texts as indexes into a table of distinct texts, so
// that repeated texts (store names, codes) are stored once and sort by rank.
class FieldData
{
public:
    enum Kind : quint8 { Empty, Int, Real, Text, Variant };

    void append(const QVariant &value);
    QVariant value(int row) const;
    bool isNull(int row) const;
    // The value as a number; false when it is null or not a number.
    bool number(int row, double *out) const;
    // A key that orders the rows as the value does: nulls first, numbers by
    // value, texts by the databases' text order (case ignored), so equal
    // keys are equal values.
    double sortKey(int row) const;
    void setValue(int row, const QVariant &value);
    int size() const { return m_size; }
    Kind kind() const { return m_kind; }

private:
    void toVariant();
    void toReal();
    void buildRanks() const;

    Kind m_kind = Empty;
    int m_size = 0;
    std::vector<qint64> m_ints;
    std::vector<double> m_reals;
    std::vector<bool> m_nulls;
    std::vector<qint32> m_texts; // -1 is null
    std::vector<QVariant> m_vars;
    QVector<QString> m_dict;
    QHash<QString, qint32> m_dictIndex;
    mutable std::vector<double> m_ranks; // per text index, or per row for Variant
    mutable bool m_ranksValid = false;
};

// The records of one refresh: one FieldData per bound field.
struct GridStore
{
    QStringList fields; // lower-case field names, one per slot
    std::vector<FieldData> data;
    int rows = 0;

    int slotOf(const QString &field) const { return fields.indexOf(field.toLower()); }
};

} // namespace kq::platform
