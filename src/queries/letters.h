#pragma once

#include <QDate>
#include <QHash>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace kq::data {
class Recordset;
}
namespace kq::platform {
class LetterDocument;
}

namespace kq::queries {

// The (placeholder, value) entries of one letter, filled in this order.
using LetterEntries = QVector<QPair<QString, QString>>;

// Fills the next occurrence of `campo` with `valor`; a placeholder the
// document lacks leaves it unchanged. Never fails towards the caller.
void SubstituiCampo(const QString &campo, const QString &valor, kq::platform::LetterDocument &word);

// The field of the recordset's current row; Null (invalid) at its end.
QVariant fieldOrNull(const kq::data::Recordset &rs, const char *field);

// The office parameters the letters use (invalid QVariant = Null).
struct Escritorio
{
    QVariant empresa, endereco, cidade, telefone, prazo;
};
// From the current row of a recordset on "parametros" (all Null at its end).
Escritorio escritorio(const kq::data::Recordset &parametros);
// The captions, as the parameters screen shows them, of the office
// parameters that these placeholders are filled with and that are empty.
QStringList emptyOfficeParameters(const QStringList &placeholders, const Escritorio &e);
// Names the empty office parameters of the letter and asks whether to issue
// it all the same; true when none is empty or the user goes on.
bool confirmOfficeParameters(const LetterEntries &entries, const Escritorio &e);

// The letter steps: names the empty office parameters the entries use (the
// user may stop there), opens the template, fills the entries in order and
// shows the filled document. A template or word processor that fails is told
// to the user (a cancel is not); returns true when the document was shown.
bool fillLetter(const QString &templatePath, const LetterEntries &entries,
                const Escritorio &escritorio);

// "@dia", "@mes", "@ano": 9 (no leading zero), the month's full name in the
// regional settings' language, the four-digit year.
QString diaTexto(const QDate &date);
QString mesTexto(const QDate &date);
QString anoTexto(const QDate &date);

// One line of the cheque list "@documentos" (line end included).
QString linhaDocumento(const QVariant &dsDocumento, const QVariant &dtDeposito,
                       const QVariant &vlCheque, const QVariant &nmCliente,
                       const QVariant &nrDocumento);

// The placeholders of a collection-letter kind, by the template's exact file
// name; empty for a template of no kind (opened unfilled).
QStringList cartaPlaceholders(const QString &fileName);

// What a collection letter is filled with (invalid QVariant = Null).
struct CartaDados
{
    QVariant nmCliente, dsEndereco, dsBairro, dsCidade, cdCep, nrDocumento; // debtor
    Escritorio escritorio;
    QString nomeLoja;   // the store shown in the list
    QString documentos; // the cheque list
    QDate hoje;
};
QHash<QString, QString> cartaValores(const CartaDados &d);
// The entries of the letter of that template (empty for no kind).
LetterEntries cartaEntries(const QString &fileName, const CartaDados &d);

// What the confession of debt is filled with (invalid QVariant = Null).
struct ConfissaoDados
{
    QVariant vlAberto, vlDesconto, vlFinanciado, vlParcela, dt1Vencimento, nrParcelas;
    QVariant nmCliente, nrDocumento, dsEndereco, dsBairro, nrTelefones;
    Escritorio escritorio;
    QDate hoje;
};
// The 21 entries of the confession, in order.
LetterEntries confissaoEntries(const ConfissaoDados &d);

} // namespace kq::queries
