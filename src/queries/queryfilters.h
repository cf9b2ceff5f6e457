#pragma once

#include <QDate>
#include <QString>

#include "data/recordsource.h"

// Record sources of the three query screens and of their filter dialogs, in
// Jet SQL as the grid takes them. Codes come from look-up lists and dates from
// date fields; codes and typed text are bound values, dates #YYYY/MM/DD#.
namespace kq::queries {

using kq::data::RecordSource;

// #YYYY/MM/DD#
QString jetDate(const QDate &date);

// ---- Returned cheques (fconsultas1 / ffiltros1) ------------------------
QString chequeLoadQuery();
RecordSource chequesByStore(const QString &loja);
RecordSource chequesByStoreAndPeriod(const QString &loja, const QDate &from, const QDate &to);
QString chequesByPeriod(const QDate &from, const QDate &to);
RecordSource chequesByDocument(const QString &typed);

// ---- Instalments (fconsulta2 / ffiltros2) ------------------------------
QString instalmentLoadQuery();
RecordSource instalmentsByStoreAndPeriod(const QString &loja, const QDate &from, const QDate &to);
RecordSource instalmentsByDebtor(const QString &cliente);
QString instalmentsByPeriod(const QDate &from, const QDate &to);

// ---- Agreements (fconsulta3 / ffiltros3) -------------------------------
// The list when the screen loads (two blanks after SELECT) and after "Todos".
QString agreementLoadQuery();
QString agreementAllQuery();
// The agreement record of the list's current row.
RecordSource agreementRecordQuery(const QString &acordo);
RecordSource agreementChequesQuery(const QString &acordo);
RecordSource agreementInstalmentsQuery(const QString &acordo);
RecordSource agreementsByStoreAndPeriod(const QString &loja, const QDate &from, const QDate &to);
RecordSource agreementsByDebtor(const QString &cliente);
QString agreementsByPeriod(const QDate &from, const QDate &to);

} // namespace kq::queries
