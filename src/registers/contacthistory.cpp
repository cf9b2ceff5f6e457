#include "registers/contacthistory.h"

#include "platform/grid/gridex.h"

namespace kq::registers {

void setupContactHistory(kq::platform::GridEX *grid)
{
    grid->clearColumns();
    grid->addColumn(QStringLiteral("DT_VANTESCA"), QStringLiteral("Data"), 90)
        .setFormat(QStringLiteral("dd/mm/yyyy"));
    grid->addColumn(QStringLiteral("DS_HISTORICO"), QStringLiteral("Historico"), 200)
        .setVisible(false);
    grid->addColumn(QStringLiteral("CD_VANTESCA"), QStringLiteral("CD_VANTESCA"), 60)
        .setVisible(false);
    grid->addColumn(QStringLiteral("ds_cobrador"), QStringLiteral("Cobrador"), 160);
    grid->addColumn(QStringLiteral("ds_envolvido"), QStringLiteral("Contato"), 200);
    grid->setPreviewColumn(2, 5, Qt::blue);
    grid->setGroupByBoxVisible(false);
}

kq::data::RecordSource contactHistorySource(const QString &debtorCode)
{
    return {QStringLiteral("SELECT * From VANTESCA where cd_cliente=? order by dt_vantesca"),
            {debtorCode}};
}

void showContactHistory(kq::platform::GridEX *grid, const QString &databaseName,
                        const QString &debtorCode)
{
    grid->setDatabaseName(databaseName);
    grid->setRecordSource(contactHistorySource(debtorCode));
    grid->rebind();
    grid->refresh();
}

} // namespace kq::registers
