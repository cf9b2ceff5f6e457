#include "queries/frelatorioscartas.h"

#include "collection/fvantesca.h"
#include "data/datafolder.h"
#include "data/dataerror.h"
#include "platform/dbcombo.h"
#include "platform/dialogs.h"
#include "platform/grid/gridex.h"
#include "queries/filelistbox.h"
#include "queries/letters.h"
#include "shell/services/appstate.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kq::queries {

using kq::platform::Dialogs;
using kq::platform::GridEX;

frelatorioscartas::frelatorioscartas(QWidget *parent)
    : Screen(QStringLiteral("frelatorioscartas"), parent)
{
    setWindowTitle(QStringLiteral("Cartas de Vantesca"));
    buildControls();
    Form_Load();
}

QString frelatorioscartas::dbPath() const
{
    return kq::shell::dataPath(kq::data::kDevolvidos);
}

void frelatorioscartas::buildControls()
{
    resize(1000, 640);
    auto *root = new QGridLayout(this);

    auto *empresa = new QVBoxLayout;
    auto *lojaLabel
        = new QLabel(QStringLiteral("Escolha  a empresa para emitir carta de Vantesca"), this);
    ds_loja = new kq::platform::DBList(this);
    ds_loja->setObjectName(QStringLiteral("ds_loja"));
    lojaLabel->setBuddy(ds_loja);
    empresa->addWidget(lojaLabel);
    empresa->addWidget(ds_loja);
    root->addLayout(empresa, 0, 0);

    auto *modelos = new QVBoxLayout;
    auto *modeloLabel = new QLabel(QStringLiteral("Modelo da carta"), this);
    diretorio = new FileListBox(QStringLiteral("Carta*.doc"), this);
    diretorio->setObjectName(QStringLiteral("diretorio"));
    modeloLabel->setBuddy(diretorio);
    modelos->addWidget(modeloLabel);
    modelos->addWidget(diretorio);
    root->addLayout(modelos, 0, 1);

    auto *campos = new QGroupBox(this);
    auto *camposLayout = new QVBoxLayout(campos);
    for (const char *text : {"Campos Obrigatórios", "Campos Automáticos", "Campos Opcionais"})
        camposLayout->addWidget(new QLabel(QString::fromUtf8(text), campos));
    camposLayout->addStretch();
    root->addWidget(campos, 0, 2);

    auto *documentos = new QGroupBox(QStringLiteral("Documentos"), this);
    auto *docLayout = new QVBoxLayout(documentos);
    GridEX1 = new GridEX(documentos);
    GridEX1->setObjectName(QStringLiteral("GridEX1"));
    const QList<QPair<const char *, const char *>> columns = {
        {"NM_CLIENTE", "Cliente"},     {"DS_LOJA", "Loja"},           {"CD_DEVOLVIDO", "Chave"},
        {"DT_VANTESCA", "Cadastro"},   {"DT_DEPOSITO", "Depósito"},   {"VL_CHEQUE", "Valor"},
        {"CD_BANCO", "Bnc"},           {"ds_documento", "Documento"}, {"CD_AGENCIA", "Ag"},
        {"CD_CONTA", "Conta"},         {"NR_CHEQUE", "Cheque"},       {"NM_EMITENTE", "Emitente"},
        {"NR_DOCUMENTO", "Documento"}, {"DS_DESTINO", "Destino"},     {"DS_SITUACAO", "Situação"},
        {"CD_LOJA", "CD_LOJA"}};
    for (const auto &[field, caption] : columns)
        GridEX1->addColumn(QString::fromLatin1(field), QString::fromUtf8(caption), 90);
    GridEX1->column(3).setVisible(false);
    GridEX1->column(16).setVisible(false);
    GridEX1->column(4).setFormat(QStringLiteral("dd/mm/yyyy"));
    GridEX1->column(5).setFormat(QStringLiteral("dd/mm/yyyy"));
    GridEX1->column(6).setFormat(QStringLiteral("0.00"));
    GridEX1->setKeyColumn(3);
    GridEX1->setDesignGroups({2});
    GridEX1->setGroupByBoxVisible(true);
    GridEX1->setGroupByBoxCaption(QStringLiteral("Traga a Coluna a ser agrupada para essa área"));
    docLayout->addWidget(GridEX1);
    root->addWidget(documentos, 1, 0, 1, 3);

    auto *buttons = new QHBoxLayout;
    Command2 = new QPushButton(QStringLiteral("&Executar"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command1 = new QPushButton(QStringLiteral("&Sair"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    root->addLayout(buttons, 2, 0, 1, 3);
    root->setRowStretch(1, 1);

    connectTrapped(ds_loja, &QListWidget::currentRowChanged, [this] { ds_loja_Click(); });
    connectTrapped(Command2, &QPushButton::clicked, [this] { Command2_Click(); });
    connectTrapped(Command1, &QPushButton::clicked, [this] { Command1_Click(); });
}

kq::data::RecordSource frelatorioscartas::chequeQuery(const QString &cliente, const QString &loja)
{
    return {QStringLiteral(
                "SELECT DEVOLVIDOS.CD_LOJA, CLIENTES.NM_CLIENTE, LOJAS.ds_loja, "
                "DEVOLVIDOS.CD_DEVOLVIDO, DEVOLVIDOS.DT_VANTESCA, DEVOLVIDOS.DT_DEPOSITO, "
                "DEVOLVIDOS.VL_CHEQUE, DEVOLVIDOS.CD_BANCO, DEVOLVIDOS.CD_AGENCIA, "
                "DEVOLVIDOS.CD_CONTA, DEVOLVIDOS.NR_CHEQUE, DEVOLVIDOS.NM_EMITENTE, "
                "DEVOLVIDOS.NR_DOCUMENTO, DESTINOS.DS_DESTINO, SITUACOES.DS_SITUACAO, "
                "documentos.DS_documento FROM (SITUACOES INNER JOIN (DESTINOS INNER JOIN "
                "(CLIENTES INNER JOIN (LOJAS INNER JOIN DEVOLVIDOS ON LOJAS.cd_loja = "
                "DEVOLVIDOS.CD_LOJA) ON CLIENTES.CD_CLIENTE = DEVOLVIDOS.CD_CLIENTE) ON "
                "DESTINOS.CD_DESTINO = DEVOLVIDOS.CD_DESTINO) ON SITUACOES.CD_SITUACAO = "
                "DEVOLVIDOS.CD_SITUACAO) INNER JOIN documentos ON DEVOLVIDOS.cd_documento = "
                "documentos.CD_documento where devolvidos.cd_cliente=? and "
                "devolvidos.cd_loja=? and devolvidos.cd_situacao<>'007' order by dt_deposito"),
            {cliente, loja}};
}

void frelatorioscartas::Form_Load()
{
    diretorio->setPath(kq::shell::dataFolder());
    ds_loja->setDatabaseName(dbPath());
    ds_loja->setRowSource(QStringLiteral("select * from  lojas order by cd_loja"));
    ds_loja->setListField(QStringLiteral("ds_loja"));
    ds_loja->setBoundColumn(QStringLiteral("cd_loja"));
    ds_loja->blockSignals(true);
    ds_loja->refresh();
    ds_loja->setCurrentRow(-1);
    ds_loja->blockSignals(false);
    Data3.setDatabaseName(dbPath());
    Data3.setRecordSource(QStringLiteral("select * from  parametros "));
}

void frelatorioscartas::ds_loja_Click()
{
    const QString loja = ds_loja->boundText();
    if (loja.isEmpty())
        return;
    m_store = loja;
    m_storeName = ds_loja->text();
    bindCheques(kq::collection::followUpDebtor());
}

void frelatorioscartas::bindCheques(const QString &debtor)
{
    // The debtor of the letter is the one whose cheques are listed.
    m_debtor = debtor;
    const kq::data::RecordSource query = chequeQuery(m_debtor, m_store);
    Data2.setDatabaseName(dbPath());
    Data2.setRecordSource(
        {QStringLiteral("select * from  clientes where cd_cliente=? order by cd_cliente"),
         {m_debtor}});
    GridEX1->setDatabaseName(dbPath());
    GridEX1->setRecordSource(query);
    GridEX1->rebind();
    GridEX1->refresh();
    Data4.setDatabaseName(dbPath());
    Data4.setRecordSource(query);
    Data4.refresh();
}

void frelatorioscartas::Command2_Click()
{
    if (m_store.isEmpty()) {
        Dialogs::message(QStringLiteral("Escolha a empresa para emitir a carta."));
        return;
    }
    // The letter goes to the follow-up's debtor as it is now.
    const QString debtor = kq::collection::followUpDebtor();
    if (debtor.isEmpty()) {
        Dialogs::message(QStringLiteral("Escolha o devedor no acompanhamento de vantesca."));
        return;
    }
    const QString modelo = diretorio->fileName();
    if (modelo.isEmpty()) {
        Dialogs::message(QStringLiteral("Escolha o modelo da carta."));
        return;
    }
    CartaDados d;
    try {
        if (debtor != m_debtor)
            bindCheques(debtor);
        QString lista;
        Data4.refresh();
        for (Data4.moveFirst(); !Data4.eof(); Data4.moveNext())
            lista += linhaDocumento(
                fieldOrNull(Data4, "DS_documento"), fieldOrNull(Data4, "DT_DEPOSITO"),
                fieldOrNull(Data4, "VL_CHEQUE"), fieldOrNull(Data4, "NM_CLIENTE"),
                fieldOrNull(Data4, "NR_DOCUMENTO"));
        d.documentos = lista;
        Data2.refresh();
        d.nmCliente = fieldOrNull(Data2, "nm_cliente");
        d.dsEndereco = fieldOrNull(Data2, "ds_endereco");
        d.dsBairro = fieldOrNull(Data2, "ds_bairro");
        d.dsCidade = fieldOrNull(Data2, "ds_cidade");
        d.cdCep = fieldOrNull(Data2, "cd_cep");
        d.nrDocumento = fieldOrNull(Data2, "nr_documento");
        Data3.refresh();
        d.escritorio = escritorio(Data3);
    } catch (const kq::data::DataError &e) {
        Dialogs::message(e.description(), QString(), kq::platform::Buttons::Ok,
                         kq::platform::Icon::Warning);
        return;
    }
    d.nomeLoja = m_storeName;
    d.hoje = QDate::currentDate();
    fillLetter(kq::data::dataFile(diretorio->path(), modelo), cartaEntries(modelo, d),
               d.escritorio);
}

void frelatorioscartas::Command1_Click()
{
    close();
}

} // namespace kq::queries
