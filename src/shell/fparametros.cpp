#include "shell/fparametros.h"

#include "data/datafolder.h"
#include "platform/dialogs.h"
#include "platform/maskedbox.h"
#include "platform/textlimit.h"
#include "shell/services/appstate.h"
#include "shell/services/procedures.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kq::shell {

namespace {
const QString kMascara = QStringLiteral("###.###.###.###.###.###.###.###");
} // namespace

fparametros::fparametros(QWidget *parent)
    : Screen(QStringLiteral("fparametros"), parent)
{
    buildControls();
    Form_Load();
}

void fparametros::buildControls()
{
    setWindowTitle(QStringLiteral("Parametros"));
    setGradient(true);
    setTwipsSize(9600, 7600);

    auto box = [this](const char *name, QWidget *parent) {
        auto *e = new QLineEdit(parent);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    auto row = [](QFormLayout *form, const char *caption, QWidget *field) {
        auto *label = new QLabel(QString::fromUtf8(caption));
        label->setBuddy(field);
        form->addRow(label, field);
    };

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    auto *page = new QWidget;
    SSTab1->addTab(page, QStringLiteral("Dados Empresa"));

    auto *empresa = new QGroupBox(QStringLiteral("Dados da Empresa Usuária do Sistema"), page);
    empresa->setObjectName(QStringLiteral("Frame1"));
    auto *fe = new QFormLayout(empresa);
    ds_empresa = box("ds_empresa", empresa);
    ds_endereco = box("ds_endereco", empresa);
    ds_bairro = box("ds_bairro", empresa);
    ds_cidade = box("ds_cidade", empresa);
    ds_estado = box("ds_estado", empresa);
    kq::platform::setTextLimit(ds_estado, 2);
    cd_cep = box("cd_cep", empresa);
    kq::platform::setTextLimit(cd_cep, 9);
    nr_telefone = box("nr_telefone", empresa);
    ds_cabecalho = box("ds_cabecalho", empresa);
    row(fe, "Razão Social....:", ds_empresa);
    row(fe, "Endereço...:", ds_endereco);
    row(fe, "Bairro...:", ds_bairro);
    auto *cidadeLinha = new QWidget(empresa);
    auto *cl = new QHBoxLayout(cidadeLinha);
    cl->setContentsMargins(0, 0, 0, 0);
    cl->addWidget(ds_cidade, 1);
    auto *lblEstado = new QLabel(QStringLiteral("Estado...:"), cidadeLinha);
    lblEstado->setBuddy(ds_estado);
    cl->addWidget(lblEstado);
    ds_estado->setFixedWidth(40);
    cl->addWidget(ds_estado);
    auto *lblCep = new QLabel(QStringLiteral("Cep...:"), cidadeLinha);
    lblCep->setBuddy(cd_cep);
    cl->addWidget(lblCep);
    cd_cep->setFixedWidth(90);
    cl->addWidget(cd_cep);
    auto *lblCidade = new QLabel(QStringLiteral("Cidade...:"));
    lblCidade->setBuddy(ds_cidade);
    fe->addRow(lblCidade, cidadeLinha);
    row(fe, "Telefones...:", nr_telefone);
    row(fe, "Cabeçalho de Relatórios.:", ds_cabecalho);

    auto *carta = new QGroupBox(QStringLiteral("Dados Carta de Vantesca"), page);
    carta->setObjectName(QStringLiteral("Frame2"));
    auto *fc = new QFormLayout(carta);
    ds_prazo = box("ds_prazo", carta);
    ds_forma = box("ds_forma", carta);
    row(fc, "Prazo Contato...:", ds_prazo);
    row(fc, "Forma Pagamento...:", ds_forma);

    auto *codigos = new QGroupBox(QStringLiteral("Códigos de Situações passiveis de acordo"), page);
    codigos->setObjectName(QStringLiteral("Frame3"));
    auto *fk = new QFormLayout(codigos);
    permiteacordo = new kq::platform::MaskEdBox(codigos);
    permiteacordo->setObjectName(QStringLiteral("permiteacordo"));
    permiteacordo->setMask(kMascara);
    row(fk, "Códigos...:", permiteacordo);

    auto *pl = new QVBoxLayout(page);
    pl->addWidget(empresa);
    pl->addWidget(carta);
    pl->addWidget(codigos);
    pl->addStretch();

    alterar = new QPushButton(QStringLiteral("&Atualiza Dados"), this);
    alterar->setObjectName(QStringLiteral("alterar"));
    alterar->setToolTip(QStringLiteral("APÓS ESCOLHER O REGISTRO A SER ALTERADO E FAZER AS "
                                       "MODIFICAÇÕES NECESÁRIAS  CLICK AQUI"));
    Command1 = new QPushButton(QStringLiteral("&Sair e Salvar"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(alterar);
    buttons->addWidget(Command1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(SSTab1, 1);
    layout->addLayout(buttons);

    connectTrapped(alterar, &QPushButton::clicked, &fparametros::alterar_Click);
    connectTrapped(Command1, &QPushButton::clicked, &fparametros::Command1_Click);
}

QList<QPair<QString, QLineEdit *>> fparametros::textFields() const
{
    return {{QStringLiteral("ds_empresa"), ds_empresa},
            {QStringLiteral("ds_endereco"), ds_endereco},
            {QStringLiteral("ds_bairro"), ds_bairro},
            {QStringLiteral("ds_cidade"), ds_cidade},
            {QStringLiteral("ds_estado"), ds_estado},
            {QStringLiteral("cd_cep"), cd_cep},
            {QStringLiteral("NR_TELEFONE"), nr_telefone},
            {QStringLiteral("ds_cabecalho"), ds_cabecalho},
            {QStringLiteral("ds_prazo"), ds_prazo},
            {QStringLiteral("ds_forma"), ds_forma}};
}

void fparametros::Form_Load()
{
    // A log line that cannot be written is reported; the screen still opens.
    trap(objectName(), [] {
        GravarLog(QStringLiteral("ENTROU NO MÓDULO DE CONFIGURAÇÃO"), QStringLiteral("**"));
    });
    Data1.setDatabaseName(dataPath(kq::data::kDevolvidos));
    Data1.setRecordSource(QStringLiteral("select * from  parametros"));
    Data1.refresh();

    // No row yet, or Null fields: the boxes stay empty.
    const bool hasRow = !Data1.eof();
    for (const auto &[field, edit] : textFields())
        edit->setText(hasRow ? Data1.text(field) : QString());

    // Shown as stored, then edited within the mask.
    permiteacordo->setMask(QString());
    permiteacordo->setText(hasRow ? Data1.text(QStringLiteral("permiteacordo")) : QString());
    permiteacordo->setMask(kMascara);
}

void fparametros::alterar_Click()
{
    Data1.refresh();
    // The one row is edited; a table that lost it gets it back.
    if (Data1.eof())
        Data1.addNew();
    else
        Data1.edit();
    for (const auto &[field, edit] : textFields())
        Data1.setField(field, edit->text());
    Data1.setField(QStringLiteral("permiteacordo"), permiteacordo->text());
    Data1.update();
    kq::platform::Dialogs::message(QStringLiteral("Dados Atualizados com sucesso!!"));
}

void fparametros::Command1_Click()
{
    close();
}

} // namespace kq::shell
