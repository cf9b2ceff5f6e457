#pragma once

#include "data/recordsource.h"

#include <QString>

namespace kq::platform {
class GridEX;
}

namespace kq::registers {

// The contact-history grid of a debtor (table VANTESCA): columns 1 "Data",
// 2 "Historico" (hidden, shown as a blue preview of up to 5 lines under each
// contact), 3 "CD_VANTESCA" (hidden), 4 "Cobrador", 5 "Contato".
void setupContactHistory(kq::platform::GridEX *grid);

// The history's record source for one debtor, oldest contact first.
kq::data::RecordSource contactHistorySource(const QString &debtorCode);

// Binds the grid to the debtor's contacts in a database and shows them.
void showContactHistory(kq::platform::GridEX *grid, const QString &databaseName,
                        const QString &debtorCode);

} // namespace kq::registers
