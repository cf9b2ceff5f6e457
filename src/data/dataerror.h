#pragma once

#include <QString>
#include <stdexcept>

namespace kq::data {

// A failure of the record-access layer. The number and source are printed by
// the error report as they are; database errors carry the driver's text.
class DataError : public std::runtime_error
{
public:
    DataError(int number, const QString &description, const QString &source = QString());

    int number() const { return m_number; }
    QString description() const { return m_description; }
    QString source() const { return m_source; }

private:
    int m_number;
    QString m_description;
    QString m_source;
};

// Error numbers used by this layer (the old runtime's numbers where one fits).
namespace ErrorNumber {
constexpr int NoCurrentRecord = 3021;
constexpr int DatabaseOpen = 3024;
constexpr int NotADatabase = 3343;
constexpr int SqlFailed = 3061;
constexpr int UnknownField = 3265;
constexpr int TypeMismatch = 13;
constexpr int WriteFailed = 3022;
constexpr int NoEditMode = 3020;
constexpr int Overflow = 6;
} // namespace ErrorNumber

} // namespace kq::data
