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
// The same cheques in the same order, read walking the store's issuers in
// order through ix_devolvidos_loja_emitente; only the cheques of one issuer
// are sorted. Only where the database walks the indexes it names.
RecordSource chequesByStoreAndPeriodInIssuerOrder(const QString &loja, const QDate &from,
                                                  const QDate &to);
// The store and deposit-period filter as the screen runs it on `db`: the walk
// when the store's period (counted through ix_devolvidos_loja_deposito) holds
// many cheques, else the sort of those cheques.
RecordSource chequesByStoreAndPeriod(const QString &db, const QString &loja, const QDate &from,
                                     const QDate &to);
QString chequesByPeriod(const QDate &from, const QDate &to);
// The same cheques in the same order (an issuer's by deposit date, then as
// entered, as the sort above leaves them), read walking the issuers in order
// through ix_devolvidos_emitente_deposito: the first rows come at once,
// however many the period holds, but the walk passes every cheque's entry.
// Only where the database walks the indexes it names.
QString chequesByPeriodInIssuerOrder(const QDate &from, const QDate &to);
// The deposit-period filter as the screen runs it on `db`: the walk when the
// period holds many cheques, else the sort of the period's cheques.
QString chequesByPeriod(const QString &db, const QDate &from, const QDate &to);
RecordSource chequesByDocument(const QString &typed);

// ---- Instalments (fconsulta2 / ffiltros2) ------------------------------
QString instalmentLoadQuery();
RecordSource instalmentsByStoreAndPeriod(const QString &loja, const QDate &from, const QDate &to);
RecordSource instalmentsByDebtor(const QString &cliente);
QString instalmentsByPeriod(const QDate &from, const QDate &to);
// The same instalments in the same order, read walking the debtors in name
// order (ix_clientes_nome), each one's instalments of the period through
// ix_parcelas_cliente_venc; only debtors of one name are sorted. Only where the database walks the indexes it names.
QString instalmentsByPeriodInDebtorOrder(const QDate &from, const QDate &to);
// The due-period filter as the screen runs it on `db`, chosen as for the
// cheques.
QString instalmentsByPeriod(const QString &db, const QDate &from, const QDate &to);

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
