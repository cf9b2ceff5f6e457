#pragma once

#include "queries/querypattern.h"

namespace kq::queries {

// "CONSULTA DE DOCUMENTOS": every returned cheque with its debtor, store,
// destination and situation, painted in its store's colour.
class fconsultas1 : public QueryScreen
{
    Q_OBJECT
public:
    explicit fconsultas1(QWidget *parent = nullptr);

protected:
    QString loadQuery() const override;
    void formatRow(kq::platform::GridRow &row) override;
};

} // namespace kq::queries
