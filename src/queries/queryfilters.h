#pragma once

#include <QDate>
#include <QString>

// Record sources of the three query screens and of their filter dialogs, in
// Jet SQL as the grid takes them. Codes come from look-up lists and dates from
// date fields; every value is written as a safe literal (quotes doubled, LIKE
// wildcards of typed text bracketed).
namespace kq::queries {

// 'text' with every single quote doubled.
QString jetText(const QString &text);
// #YYYY/MM/DD#
QString jetDate(const QDate &date);
// A LIKE pattern matching the texts that begin with `typed`, the typed
// characters taken literally: 'typed*'.
QString jetPrefixPattern(const QString &typed);

// ---- Returned cheques (fconsultas1 / ffiltros1) ------------------------
QString chequeLoadQuery();
QString chequesByStore(const QString &loja);
QString chequesByStoreAndPeriod(const QString &loja, const QDate &from, const QDate &to);
QString chequesByPeriod(const QDate &from, const QDate &to);
QString chequesByDocument(const QString &typed);

// ---- Instalments (fconsulta2 / ffiltros2) ------------------------------
QString instalmentLoadQuery();
QString instalmentsByStoreAndPeriod(const QString &loja, const QDate &from, const QDate &to);
QString instalmentsByDebtor(const QString &cliente);
QString instalmentsByPeriod(const QDate &from, const QDate &to);

// ---- Agreements (fconsulta3 / ffiltros3) -------------------------------
// The list when the screen loads (two blanks after SELECT) and after "Todos".
QString agreementLoadQuery();
QString agreementAllQuery();
// The agreement record of the list's current row.
QString agreementRecordQuery(const QString &acordo);
QString agreementChequesQuery(const QString &acordo);
QString agreementInstalmentsQuery(const QString &acordo);
QString agreementsByStoreAndPeriod(const QString &loja, const QDate &from, const QDate &to);
QString agreementsByDebtor(const QString &cliente);
QString agreementsByPeriod(const QDate &from, const QDate &to);

} // namespace kq::queries
