#include "queries/ffiltros1.h"

#include "platform/dbcombo.h"
#include "platform/dialogs.h"
#include "platform/dtpicker.h"
#include "queries/rules/queryfilters.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace kq::queries {

namespace {
const QString kStores = QStringLiteral("select * from  lojas order by ds_loja");
}

ffiltros1::ffiltros1(QWidget *parent)
    : FilterDialog(QStringLiteral("ffiltros1"), QStringLiteral("fconsultas1"), parent)
{
    setWindowTitle(QStringLiteral("Filtros da Consulta de Documentos"));
    const QString empresa = QStringLiteral("Empresa:");
    const QString cdLoja = QStringLiteral("cd_loja");
    const QString dsLoja = QStringLiteral("ds_loja");

    QBoxLayout *block = addBlock();
    ds_loja = addCombo(block, empresa, QStringLiteral("ds_loja"), kStores, dsLoja, cdLoja);
    Command2 = addButton(block, QStringLiteral("Command2"), QStringLiteral("Executar"));

    block = addBlock();
    loja1 = addCombo(block, empresa, QStringLiteral("loja1"), kStores, dsLoja, cdLoja);
    inicio = addDate(block, QStringLiteral("De:"), QStringLiteral("inicio"));
    fim = addDate(block, QStringLiteral("A"), QStringLiteral("fim"));
    Command1 = addButton(block, QStringLiteral("Command1"), QStringLiteral("Executar"));

    block = addBlock();
    inicio1 = addDate(block, QStringLiteral("De:"), QStringLiteral("inicio1"));
    fim1 = addDate(block, QStringLiteral("A"), QStringLiteral("fim1"));
    Command4 = addButton(block, QStringLiteral("Command4"), QStringLiteral("Executar"));

    block = addBlock();
    nr_documento = new QLineEdit(block->parentWidget());
    nr_documento->setObjectName(QStringLiteral("nr_documento"));
    addLabelled(block, QStringLiteral("Documento:"), nr_documento);
    Command5 = addButton(block, QStringLiteral("Command5"), QStringLiteral("Executar"));

    connectTrapped(Command2, &QPushButton::clicked,
                   [this] { runFilter(chequesByStore(ds_loja->boundText()), {ds_loja}); });
    connectTrapped(Command1, &QPushButton::clicked, [this] {
        runFilter(chequesByStoreAndPeriod(databasePath(), loja1->boundText(), inicio->value(),
                                          fim->value()),
                  {loja1});
    });
    connectTrapped(Command4, &QPushButton::clicked, [this] {
        runFilter(chequesByPeriod(databasePath(), inicio1->value(), fim1->value()));
    });
    connectTrapped(Command5, &QPushButton::clicked, [this] {
        const QString typed = nr_documento->text();
        if (kq::data::hasNul(typed)) {
            kq::platform::Dialogs::message(
                QStringLiteral("O documento digitado contém um caractere inválido (código 0). "
                               "Apague-o e tente de novo."),
                QString(), kq::platform::Buttons::Ok, kq::platform::Icon::Warning);
            return;
        }
        runFilter(chequesByDocument(typed));
    });
}

} // namespace kq::queries
