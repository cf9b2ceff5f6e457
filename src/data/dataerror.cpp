#include "data/dataerror.h"

namespace kq::data {

DataError::DataError(int number, const QString &description, const QString &source)
    : std::runtime_error(description.toStdString())
    , m_number(number)
    , m_description(description)
    , m_source(source)
{}

} // namespace kq::data
