#include "registers/flojas.h"

#include "platform/dialogs.h"
#include "platform/grid/gridex.h"
#include "platform/textlimit.h"
#include "registers/estados.h"
#include "registers/storecolors.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace kq::registers {

using kq::shell::FieldValues;

flojas::flojas(QWidget *parent)
    : RegisterScreen(QStringLiteral("flojas"), QStringLiteral("CD_loja"), 3, parent)
{
    buildControls();
    formLoad();
}

QString flojas::colorMissingMessage()
{
    return QStringLiteral("IMPORTANTE ESCOLHER UMA COR PARA DEFINIR A EMPRESA!");
}

void flojas::buildControls()
{
    setWindowTitle(QStringLiteral("Tabela de Empresas"));
    setTwipsSize(11400, 9000);
    setEnterAsTab(true);

    cd_loja = addCodeBox(QStringLiteral("cd_loja"),
                         QStringLiteral("Não Usar preenchido automáticamente na inclusão"), 0);
    ds_loja = addTextBox(QStringLiteral("Cliente:"), QStringLiteral("ds_loja"), 50, 1, 0, 3);
    nm_fantasia
        = addTextBox(QStringLiteral("Fantasia:"), QStringLiteral("nm_fantasia"), 50, 2, 0, 3);
    ds_endereco = addTextBox(QStringLiteral("Endereço:"), QStringLiteral("ds_endereco"), 50, 3, 0);
    ds_complemento
        = addTextBox(QStringLiteral("Complemento:"), QStringLiteral("ds_complemento"), 50, 3, 1);
    ds_cidade = addTextBox(QStringLiteral("Cidade:"), QStringLiteral("ds_cidade"), 50, 4, 0);
    ds_bairro = addTextBox(QStringLiteral("Bairro:"), QStringLiteral("ds_bairro"), 50, 4, 1);
    cd_uf = addComboBox(QStringLiteral("Estado:"), QStringLiteral("cd_uf"), true, 5, 0);
    nr_cep = addTextBox(QStringLiteral("Cep:"), QStringLiteral("nr_cep"), 9, 5, 1);
    nr_telefone = addTextBox(QStringLiteral("Telefone:"), QStringLiteral("nr_telefone"), 50, 6, 0);
    cd_cgc = addTextBox(QStringLiteral("Cgc\\CPF:"), QStringLiteral("cd_cgc"), 50, 6, 1);
    nr_inscricao = addTextBox(QStringLiteral("I.E.:"), QStringLiteral("nr_inscricao"), 50, 7, 0);
    ds_email = addTextBox(QStringLiteral("Email:"), QStringLiteral("ds_email"), 50, 7, 1);
    cd_cor = addTextBox(QStringLiteral("Cor :"), QStringLiteral("cd_cor"), 0, 8, 0);
    Command3 = new QPushButton(QStringLiteral(".."), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setAutoDefault(false);
    Command3->setMaximumWidth(32);
    fieldsLayout()->addWidget(Command3, 8, 2, Qt::AlignLeft);
    connectTrapped(Command3, &QPushButton::clicked, &flojas::Command3_Click);
    fieldsLayout()->setColumnStretch(1, 1);
    fieldsLayout()->setColumnStretch(3, 1);

    Frame2 = new QGroupBox(QStringLiteral("Valores (%)"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto *terms = new QGridLayout(Frame2);
    auto term = [&](const QString &label, const char *name, int row) {
        auto *l = new QLabel(label, Frame2);
        l->setObjectName(QStringLiteral("lbl_") + QString::fromLatin1(name));
        l->setStyleSheet(QStringLiteral("QLabel { color: #000080; font-weight: bold; }"));
        auto *box = new QLineEdit(Frame2);
        box->setObjectName(QString::fromLatin1(name));
        kq::platform::setTextLimit(box, 9);
        box->setMaximumWidth(90);
        l->setBuddy(box);
        terms->addWidget(l, row, 0);
        terms->addWidget(box, row, 1);
        return box;
    };
    vl_juros = term(QStringLiteral("Juros /Mês:"), "vl_juros", 0);
    vl_honorarios = term(QStringLiteral("Honorários:"), "vl_honorarios", 1);
    vl_multa = term(QStringLiteral("Multa..:"), "vl_multa", 2);
    nr_parcelas = term(QStringLiteral("Parcelas:"), "nr_parcelas", 3);
    fieldsLayout()->addWidget(Frame2, 1, 4, 7, 1, Qt::AlignTop);
    for (QLineEdit *box : {vl_juros, vl_honorarios, vl_multa})
        box->installEventFilter(this);

    GridEX1->addColumn(QStringLiteral("cd_loja"), QStringLiteral("Código"), 60);
    GridEX1->addColumn(QStringLiteral("ds_loja"), QStringLiteral("Descrição"), 260);
    GridEX1->addColumn(QStringLiteral("cd_cor"), QStringLiteral("Cor"), 90);
    GridEX1->addColumn(QStringLiteral("nm_fantasia"), QStringLiteral("Fantasia"), 220);
    useStoreStyles(GridEX1, 1);

    // MostraRegistro's order; the terms and the colour's look are shown apart.
    bindField(QStringLiteral("cd_loja"), cd_loja);
    bindField(QStringLiteral("DS_loja"), ds_loja);
    bindField(QStringLiteral("cd_cor"), cd_cor);
    bindField(QStringLiteral("nm_fantasia"), nm_fantasia);
    bindField(QStringLiteral("DS_complemento"), ds_complemento);
    bindField(QStringLiteral("DS_endereco"), ds_endereco);
    bindField(QStringLiteral("DS_bairro"), ds_bairro);
    bindField(QStringLiteral("DS_cidade"), ds_cidade);
    bindField(QStringLiteral("cd_uf"), cd_uf);
    bindField(QStringLiteral("nr_cep"), nr_cep);
    bindField(QStringLiteral("nr_telefone"), nr_telefone);
    bindField(QStringLiteral("cd_cgc"), cd_cgc);
    bindField(QStringLiteral("nr_inscricao"), nr_inscricao);
    bindField(QStringLiteral("DS_email"), ds_email);
    setFocusBox(ds_loja);
    setQuestionField(QStringLiteral("ds_loja"));
    setPatternTabOrder({ds_loja, nm_fantasia, ds_endereco, ds_complemento, ds_cidade, ds_bairro,
                        cd_uf, nr_cep, nr_telefone, cd_cgc, nr_inscricao, ds_email, cd_cor, cd_loja,
                        vl_juros, vl_honorarios, vl_multa, nr_parcelas});
}

void flojas::formLoad()
{
    bindViews(QStringLiteral("SELECT * FROM lojas order by ds_loja"),
              QStringLiteral("select * from  lojas order by cd_loja"));
    addStoreStyles(GridEX1, Data1.recordset());
    GridEX1->invalidateRowFormats();
    vl_juros->setText(QStringLiteral("0"));
    vl_honorarios->setText(QStringLiteral("0"));
    vl_multa->setText(QStringLiteral("0"));
    cd_uf->addItems(estados());
    cd_uf->setCurrentIndex(-1);
    cd_uf->setEditText(QString());
    nr_parcelas->setText(QStringLiteral("0"));
}

QString flojas::newKey()
{
    Data1.refresh();
    return Data1.nextKey();
}

bool flojas::includeAllowed()
{
    if (!cd_cor->text().isEmpty())
        return true;
    kq::platform::Dialogs::message(colorMissingMessage());
    return false;
}

FieldValues flojas::includeFields()
{
    FieldValues values = boundFields();
    values.append({QStringLiteral("vl_jurospraticado"),
                   kq::shell::numberField(vl_juros->text(), vl_juros->objectName())});
    values.append({QStringLiteral("vl_honorarios"),
                   kq::shell::numberField(vl_honorarios->text(), vl_honorarios->objectName())});
    values.append({QStringLiteral("vl_multa"),
                   kq::shell::numberField(vl_multa->text(), vl_multa->objectName())});
    values.append({QStringLiteral("nr_parcelasacordo"),
                   kq::shell::wholeNumberField(nr_parcelas->text(), nr_parcelas->objectName())});
    return values;
}

FieldValues flojas::alterFields()
{
    return includeFields();
}

void flojas::afterInclude(const QString &key)
{
    addStoreStyle(GridEX1, key, cd_cor->text());
}

void flojas::paintColorBox(const QColor &color)
{
    setBoxColor(cd_cor, color);
    // The code stays readable on a dark colour.
    QPalette p = cd_cor->palette();
    p.setColor(QPalette::Text, color.lightness() < 128 ? Qt::white : Qt::black);
    cd_cor->setPalette(p);
}

void flojas::showColor()
{
    // A colour that cannot be read shows the ordinary look.
    const std::optional<QColor> color = colorFromText(cd_cor->text());
    paintColorBox(color ? *color : QColor(Qt::white));
}

void flojas::MostraRegistro()
{
    RegisterScreen::MostraRegistro();
    const kq::data::Recordset &data = Data1.recordset();
    step([this] { showColor(); });
    step([&] { vl_honorarios->setText(kq::shell::numberText(data.field("vl_honorarios"))); });
    step([&] { vl_juros->setText(kq::shell::numberText(data.field("vl_jurospraticado"))); });
    step([&] { vl_multa->setText(kq::shell::numberText(data.field("vl_multa"))); });
    step([&] {
        const QString n = kq::shell::numberText(data.field("nr_parcelasacordo"));
        nr_parcelas->setText(n.isEmpty() ? QStringLiteral("0") : n);
    });
}

void flojas::resetTerms()
{
    vl_juros->setText(QStringLiteral("0"));
    vl_honorarios->setText(QStringLiteral("0"));
    vl_multa->setText(QStringLiteral("0"));
    nr_parcelas->setText(QStringLiteral("0"));
}

void flojas::LimpaCampos()
{
    enterProcedure();
    step([this] {
        cd_loja->clear();
        ds_loja->clear();
        cd_cor->clear();
        paintColorBox(Qt::white);
        for (QLineEdit *box : {nm_fantasia, ds_endereco, ds_complemento, ds_bairro, ds_cidade})
            box->clear();
        cd_uf->setCurrentIndex(-1);
        cd_uf->setEditText(QString());
        for (QLineEdit *box : {nr_telefone, nr_cep, cd_cgc, nr_inscricao, ds_email, nr_parcelas})
            box->clear();
        resetTerms();
        ds_loja->setFocus();
    });
}

void flojas::Command3_Click()
{
    const std::optional<QColor> shown = colorFromText(cd_cor->text());
    // Opened on the box's colour, so cancelling leaves the store's colour.
    const std::optional<QColor> chosen
        = kq::platform::Dialogs::chooseColor(shown ? *shown : QColor(Qt::white));
    if (!chosen)
        return;
    paintColorBox(*chosen);
    cd_cor->setText(colorText(*chosen));
}

bool flojas::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn
        && (watched == vl_juros || watched == vl_honorarios || watched == vl_multa)) {
        auto *box = static_cast<QLineEdit *>(watched);
        // After the click that brought the focus, which would drop the selection.
        QTimer::singleShot(0, box, [box] { box->setSelection(0, box->text().size()); });
    }
    return RegisterScreen::eventFilter(watched, event);
}

} // namespace kq::registers
