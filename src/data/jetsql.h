#pragma once

#include <QString>

namespace kq::data {

// Translates a record source written in Jet SQL to SQLite: #YYYY/MM/DD# date
// literals to ISO text, "*" and "?" wildcards inside LIKE patterns, datepart()
// to the functions registered on the connection. Text outside those forms is
// left exactly as written.
QString translateJet(const QString &jetSql);

} // namespace kq::data
