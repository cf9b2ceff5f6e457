#pragma once

#include "queries/querypattern.h"

namespace kq::queries {

// "CONSULTAS DE PARCELAMENTOS": the instalments of the agreements, open ones
// red and written-off ones blue, with instalment and fee totals per group.
class fconsulta2 : public QueryScreen
{
    Q_OBJECT
public:
    explicit fconsulta2(QWidget *parent = nullptr);

protected:
    QString loadQuery() const override;
    void formatRow(kq::platform::GridRow &row) override;
};

} // namespace kq::queries
