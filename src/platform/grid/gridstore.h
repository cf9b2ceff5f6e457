#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace kq::platform {

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
    void start(Kind kind);
    void toVariant();
    void toReal();
    void buildRanks() const;
    QByteArrayView textAt(int row) const;

    Kind m_kind = Empty;
    int m_size = 0;
    std::vector<qint64> m_ints;
    std::vector<double> m_reals;
    std::vector<quint8> m_nulls;    // Int, Real and Text
    std::vector<char> m_bytes;      // Text: every value, one after another
    std::vector<quint32> m_offsets; // Text: start of each row, and the end
    std::vector<QVariant> m_vars;
    mutable std::vector<double> m_ranks; // per row, Text and Variant
    mutable bool m_ranksValid = false;
};

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
