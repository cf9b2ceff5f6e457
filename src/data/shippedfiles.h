#pragma once

#include <QByteArray>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

namespace kq::data {

// The report files ("1_*.rpt" to "5_*.rpt") and letter templates
// ("Carta*.doc", "confissaodivida.doc", Flat ODT under those names) that a
// new data folder starts with: file name and contents.
QVector<QPair<QString, QByteArray>> shippedFiles();

// Writes into the folder those of them that are missing; returns their names.
QStringList writeShippedFiles(const QString &dir);

} // namespace kq::data
