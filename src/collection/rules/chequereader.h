#pragma once

#include <QString>

namespace kq::collection {

// The parts of a cheque's CMC-7 line that cheque entry fills. Positions are
// those of the Brazilian line: bank, agency, cheque number and the last seven
// digits of the account. A short line gives short or empty parts; nothing
// of the line is checked. Positions count characters: one outside the BMP
// counts once and is never cut in two.
struct ReaderLine
{
    QString banco;   // positions 2 to 4
    QString agencia; // positions 5 to 8
    QString cheque;  // positions 14 to 19
    QString conta;   // positions 26 to 32
};

ReaderLine cutReaderLine(const QString &line);

// The issuer's account key: bank, agency and account joined with nothing
// between (DEVOLVIDOS.CD_chave).
QString accountKey(const QString &banco, const QString &agencia, const QString &conta);

} // namespace kq::collection
