#include "registers/ffornecedores.h"

#include "data/datafolder.h"
#include "platform/dialogs.h"
#include "platform/grid/gridex.h"
#include "registers/contacthistory.h"
#include "registers/estados.h"
#include "shell/services/appstate.h"
#include "shell/services/procedures.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace kq::registers {

ffornecedores::ffornecedores(QWidget *parent)
    : RegisterScreen(QStringLiteral("ffornecedores"), QStringLiteral("CD_cliente"), 5, parent)
{
    buildControls();
    formLoad();
}

void ffornecedores::buildControls()
{
    setWindowTitle(QStringLiteral(" Cadastro de Clientes Negativados"));
    setTwipsSize(11400, 9600);
    setEnterAsTab(true);
    setButtonOrder(ButtonOrder::IncludeFirst);

    cd_cliente = addCodeBox(QStringLiteral("cd_cliente"),
                            QStringLiteral("Não Usar preenchido automáticamente na inclusão"), 0);
    nm_cliente = addTextBox(QStringLiteral("Nome :"), QStringLiteral("nm_cliente"), 50, 1, 0, 3);
    ds_endereco
        = addTextBox(QStringLiteral("Endereço :"), QStringLiteral("ds_endereco"), 50, 2, 0, 3);
    ds_bairro = addTextBox(QStringLiteral("Bairro :"), QStringLiteral("ds_bairro"), 50, 3, 0);
    ds_cidade = addTextBox(QStringLiteral("Cidade :"), QStringLiteral("ds_cidade"), 50, 3, 1);
    ds_estado = addComboBox(QStringLiteral("Estado :"), QStringLiteral("ds_estado"), true, 4, 0);
    nr_telefone = addTextBox(QStringLiteral("Telefone:"), QStringLiteral("nr_telefone"), 0, 4, 1);
    cd_cep = addTextBox(QStringLiteral("Cep:"), QStringLiteral("cd_cep"), 50, 5, 0);
    nr_documento
        = addTextBox(QStringLiteral("CNPJ/CPF:"), QStringLiteral("nr_documento"), 50, 5, 1);
    ds_obs = addTextBox(QStringLiteral("OBS:"), QStringLiteral("ds_obs"), 50, 6, 0, 3);
    fieldsLayout()->setColumnStretch(1, 1);
    fieldsLayout()->setColumnStretch(3, 1);
    nr_documento->installEventFilter(this);

    struct Col
    {
        const char *field;
        const char *caption;
        int width;
    };
    const Col cols[] = {{"CD_CLIENTE", "Código", 60},
                        {"NM_CLIENTE", "Nome", 220},
                        {"DS_ENDERECO", "Endereço", 200},
                        {"DS_BAIRRO", "Bairro", 120},
                        {"DS_CIDADE", "Cidade", 120},
                        {"DS_ESTADO", "Estado", 50},
                        {"CD_CEP", "Cep", 80},
                        {"NR_TELEFONES", "Telefones", 120},
                        {"nr_documento", "CPF/CNPJ", 120},
                        {"nr_contatos", "Contatos", 60},
                        {"cd_tipo", "Tipo", 50}};
    for (const Col &c : cols)
        GridEX1->addColumn(QString::fromLatin1(c.field), QString::fromUtf8(c.caption), c.width);
    GridEX1->column(10).setPosition(3);

    Frame2 = new QGroupBox(QStringLiteral("Histórico"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto *history = new QVBoxLayout(Frame2);
    GridEX2 = new kq::platform::GridEX(Frame2);
    GridEX2->setObjectName(QStringLiteral("GridEX2"));
    GridEX2->setAccessibleName(QStringLiteral("GridEX2"));
    setupContactHistory(GridEX2);
    history->addWidget(GridEX2);
    mainLayout()->addWidget(Frame2, 1);

    // MostraRegistro's order; include and alter write the same fields.
    bindField(QStringLiteral("cd_cliente"), cd_cliente);
    bindField(QStringLiteral("nm_cliente"), nm_cliente);
    bindField(QStringLiteral("DS_bairro"), ds_bairro);
    bindField(QStringLiteral("DS_endereco"), ds_endereco);
    bindField(QStringLiteral("DS_cidade"), ds_cidade);
    bindField(QStringLiteral("ds_estado"), ds_estado);
    bindField(QStringLiteral("nr_telefones"), nr_telefone);
    bindField(QStringLiteral("nr_documento"), nr_documento);
    bindField(QStringLiteral("ds_obs"), ds_obs);
    bindField(QStringLiteral("cd_cep"), cd_cep);
    setFocusBox(nm_cliente);
    setQuestionField(QStringLiteral("nm_cliente"));
    setPatternTabOrder({nm_cliente, ds_endereco, ds_bairro, ds_cidade, ds_estado, nr_telefone,
                        cd_cep, nr_documento, ds_obs, cd_cliente});
}

void ffornecedores::formLoad()
{
    log(QStringLiteral("ENTROU NO CADASTRO DE CLIENTES"), QStringLiteral("**"));
    bindViews(QStringLiteral("SELECT * FROM clientes order by nm_cliente"),
              QStringLiteral("select * from  clientes order by cd_cliente"));
    ds_estado->addItems(estados());
    ds_estado->setCurrentIndex(-1);
    ds_estado->setEditText(QString());
}

void ffornecedores::log(const QString &texto1, const QString &texto2)
{
    step([&] { kq::shell::GravarLog(texto1, texto2); });
}

void ffornecedores::beforeInclude()
{
    log(QStringLiteral("INCLUI cliente"), nm_cliente->text());
}

void ffornecedores::beforeAlter()
{
    log(QStringLiteral("ALTERA cliente"), nm_cliente->text());
}

void ffornecedores::afterRowChange(const QString &key)
{
    showContactHistory(GridEX2, kq::shell::dataPath(kq::data::kDevolvidos), key);
}

void ffornecedores::LimpaCampos()
{
    enterProcedure();
    // CEP and observation are kept for the next debtor.
    step([this] {
        for (QLineEdit *box :
             {cd_cliente, ds_endereco, nm_cliente, ds_bairro, ds_cidade, nr_telefone})
            box->clear();
        ds_estado->setCurrentIndex(-1);
        ds_estado->setEditText(QString());
        nr_documento->clear();
        nm_cliente->setFocus();
    });
}

void ffornecedores::Command1_Click()
{
    log(QStringLiteral("SAIU DO CADASTRO DE clientes"), QStringLiteral("**"));
    close();
}

void ffornecedores::nr_documento_LostFocus()
{
    if (!isVisible())
        return; // the screen was closed from the box
    try {
        kq::data::Recordset &data = Data1.recordset();
        if (data.findFirst(QStringLiteral("nr_documento"), nr_documento->text()))
            kq::platform::Dialogs::message(QStringLiteral("Documento ja Cadastrado na pessoa de:")
                                           + data.text(QStringLiteral("nm_cliente")));
    } catch (...) {
        kq::shell::MostrarErro(objectName());
    }
}

bool ffornecedores::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == nr_documento && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        // Switching to another window is not leaving the box.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            QTimer::singleShot(0, this, &ffornecedores::nr_documento_LostFocus);
    }
    return RegisterScreen::eventFilter(watched, event);
}

} // namespace kq::registers
