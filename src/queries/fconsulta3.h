#pragma once

#include "data/recordset.h"
#include "queries/querypattern.h"

namespace kq::queries {

// "CONSULTAS DE ACORDOS": the agreements with their debtor and store; the
// agreement of the current row can be cancelled, deleted or printed as a
// confession of debt.
class fconsulta3 : public QueryScreen
{
    Q_OBJECT
public:
    explicit fconsulta3(QWidget *parent = nullptr);

    // Code of the agreement located at the last row change; empty when none.
    QString locatedAgreement() const { return m_located; }

    QPushButton *Command10 = nullptr;
    QPushButton *EXCLUIR = nullptr;
    QPushButton *Command9 = nullptr;
    // The agreement record of the current row, and the office parameters.
    kq::data::Recordset Data1;
    kq::data::Recordset Data4;

protected:
    QString loadQuery() const override;
    QString allQuery() const override;

private:
    void GridEX1_RowChange();
    void Command10_Click(); // "Cancelar  Acordo"
    void EXCLUIR_Click();
    void Command9_Click(); // "Confissão de Dívida"
    void locate(const QString &cdAcordo);
    // The code of the current row when its agreement is the located one.
    QString actionCode();

    QString m_located;
};

} // namespace kq::queries
