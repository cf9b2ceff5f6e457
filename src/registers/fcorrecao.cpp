#include "registers/fcorrecao.h"

#include "platform/dialogs.h"
#include "core/format.h"
#include "platform/grid/gridex.h"
#include "platform/maskedbox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>

namespace kq::registers {

using kq::shell::FieldValues;

fcorrecao::fcorrecao(QWidget *parent)
    : RegisterScreen(QStringLiteral("fcorrecao"), QStringLiteral("cd_ref"), 0, parent)
{
    buildControls();
    formLoad();
}

void fcorrecao::buildControls()
{
    setWindowTitle(QStringLiteral("Tabela de Correção monetária"));
    setTwipsSize(8400, 7200);
    setButtonOrder(ButtonOrder::IncludeFirst);

    QLabel *month = addLabel(QStringLiteral("Referencia :"), QStringLiteral("Label1"), 0, 0);
    Label1 = month;
    cd_ref = new kq::platform::MaskEdBox(this);
    cd_ref->setObjectName(QStringLiteral("cd_ref"));
    cd_ref->setMaximumWidth(120);
    month->setBuddy(cd_ref);
    fieldsLayout()->addWidget(cd_ref, 0, 1);
    setCodeBox(cd_ref);

    fator = addTextBox(QStringLiteral("Fator :"), QStringLiteral("fator"), 0, 1);
    fator->setMaximumWidth(160);
    Label2 = qobject_cast<QLabel *>(fieldsLayout()->itemAtPosition(1, 0)->widget());

    agrupar = new QCheckBox(QStringLiteral("Agrupar"), this);
    agrupar->setObjectName(QStringLiteral("agrupar"));
    fieldsLayout()->addWidget(agrupar, 1, 2);
    fieldsLayout()->setColumnStretch(3, 1);
    connectTrapped(agrupar, &QCheckBox::clicked, &fcorrecao::agrupar_Click);

    GridEX1->addColumn(QStringLiteral("ano"), QStringLiteral("Ano"), 80);
    GridEX1->addColumn(QStringLiteral("fator"), QStringLiteral("Fator Correção"), 160);
    GridEX1->addColumn(QStringLiteral("cd_ref"), QStringLiteral("Referência"), 120);
    GridEX1->setKeyColumn(3);
    // Grouping shows the months year by year.
    GridEX1->setDesignGroups({1});
    GridEX1->ungroup();
    setRowKeyColumn(3);
    setFocusBox(fator);
    setPatternTabOrder({cd_ref, fator, agrupar});
}

void fcorrecao::formLoad()
{
    bindViews(QStringLiteral("SELECT * FROM correcao order by cd_ref"),
              QStringLiteral("select * from  correcao order by cd_ref"));
    cd_ref->setMask(monthMask());
}

bool fcorrecao::monthAccepted()
{
    if (kq::platform::parseYearMonth(cd_ref->text()))
        return true;
    kq::platform::Dialogs::message(QStringLiteral("Referência inválida!! Digite o ano e o mês "
                                                  "como AAAA/MM, com o mês de 01 a 12."));
    cd_ref->setFocus();
    return false;
}

QString fcorrecao::newKey()
{
    return cd_ref->text();
}

FieldValues fcorrecao::includeFields()
{
    const QString month = cd_ref->text();
    return {{QStringLiteral("fator"), kq::shell::numberField(fator->text(), fator->objectName())},
            {QStringLiteral("ano"), month.left(4)}};
}

FieldValues fcorrecao::alterFields()
{
    return {{QStringLiteral("fator"), kq::shell::numberField(fator->text(), fator->objectName())}};
}

QString fcorrecao::deleteName()
{
    return kq::shell::numberText(Data1.recordset().field(QStringLiteral("fator")));
}

void fcorrecao::MostraRegistro()
{
    enterProcedure();
    step([this] { cd_ref->setText(Data1.recordset().text(QStringLiteral("cd_ref"))); });
    step([this] {
        fator->setText(kq::shell::numberText(Data1.recordset().field(QStringLiteral("fator"))));
    });
}

void fcorrecao::LimpaCampos()
{
    enterProcedure();
    step([this] {
        cd_ref->setMask(QString());
        cd_ref->setText(QString());
        cd_ref->setMask(monthMask());
        fator->clear();
        fator->setFocus();
    });
}

void fcorrecao::agrupar_Click()
{
    if (agrupar->isChecked())
        GridEX1->group();
    else
        GridEX1->ungroup();
}

} // namespace kq::registers
