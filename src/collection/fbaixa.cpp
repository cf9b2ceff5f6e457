#include "collection/fbaixa.h"

#include "collection/fbaixar.h"
#include "collection/rules/writeoff.h"
#include "data/datafolder.h"
#include "platform/dialogs.h"
#include "platform/dtpicker.h"
#include "core/format.h"
#include "platform/screenregistry.h"
#include "shell/services/appstate.h"
#include "shell/services/procedures.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kq::collection {

namespace {

const QString kName = QStringLiteral("fbaixa");

fbaixar *selection()
{
    return qobject_cast<fbaixar *>(
        kq::platform::ScreenRegistry::instance().find(QStringLiteral("fbaixar")));
}

} // namespace

fbaixa::fbaixa(QWidget *parent)
    : Screen(kName, parent)
{
    setWindowTitle(QStringLiteral("Baixa de Titulos"));
    setEscCloses(true);
    setEnterAsTab(true);
    resize(360, 200);
    setPlacement(Placement::Opener);

    nr_documento = new QLabel(this);
    nr_documento->setObjectName(QStringLiteral("nr_documento"));
    dt_vencimento = new kq::platform::DTPicker(this);
    dt_vencimento->setObjectName(QStringLiteral("dt_vencimento"));
    vl_titulo = new QLabel(this);
    vl_titulo->setObjectName(QStringLiteral("vl_titulo"));
    dt_baixa = new kq::platform::DTPicker(this);
    dt_baixa->setObjectName(QStringLiteral("dt_baixa"));
    Command1 = new QPushButton(QStringLiteral("Baixar e Sair"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("&Sair"), this);
    Command2->setObjectName(QStringLiteral("Command2"));

    auto *form = new QFormLayout;
    const struct
    {
        const char *text;
        QWidget *field;
    } rows[] = {{"Documento:", nr_documento},
                {"Vencimento:", dt_vencimento},
                {"Valor:", vl_titulo},
                {"Baixa:", dt_baixa}};
    for (const auto &r : rows) {
        auto *label = new QLabel(QString::fromUtf8(r.text), this);
        label->setBuddy(r.field);
        r.field->setAccessibleName(label->text());
        form->addRow(label, r.field);
    }
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch();
    layout->addLayout(buttons);

    m_db = kq::shell::dataPath(kq::data::kDevolvidos);
    kq::shell::trap(kName, [&] { locate(); });
    // The due date is shown only: the dialog opens on the write-off date.
    dt_baixa->setFocus();

    connectTrapped(Command1, &QPushButton::clicked, [this] { Command1_Click(); });
    connectTrapped(Command2, &QPushButton::clicked, &QWidget::close);
}

void fbaixa::locate()
{
    const fbaixar *list = selection();
    const auto row = list ? list->currentInstalment() : std::nullopt;
    if (!row)
        return;
    const auto found = findInstalment(m_db, row->cdAcordo, row->cdParcela);
    if (!found)
        return;
    m_acordo = found->cdAcordo;
    m_parcela = found->cdParcela;
    nr_documento->setText(m_acordo + QLatin1Char('/') + m_parcela);
    dt_baixa->setValue(QDate::currentDate());
    dt_vencimento->setValue(found->dtVencimento);
    vl_titulo->setText(kq::platform::formatPlain(found->vlParcela));
}

void fbaixa::Command1_Click()
{
    if (m_acordo.isEmpty()) {
        kq::platform::Dialogs::message(QStringLiteral("Nenhuma parcela escolhida para baixa!!"));
        close();
        return;
    }
    bool written = false;
    if (!kq::shell::trap(kName, [&] {
            written = writeOffInstalment(m_db, m_acordo, m_parcela, dt_baixa->value());
        }))
        return;
    if (!written)
        kq::platform::Dialogs::message(QStringLiteral("Essa parcela não está mais em aberto; "
                                                      "nada foi baixado!!"));
    if (fbaixar *list = selection())
        list->refreshList();
    close();
}

} // namespace kq::collection
