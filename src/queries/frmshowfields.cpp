#include "queries/frmshowfields.h"

#include "platform/grid/gridex.h"
#include "platform/screenregistry.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace kq::queries {

namespace {
const QString kName = QStringLiteral("frmShowfields");

QPushButton *button(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

void addItem(QListWidget *list, const QString &text, const QVariant &data, int row = -1)
{
    auto *item = new QListWidgetItem(text);
    item->setData(Qt::UserRole, data);
    if (row < 0)
        list->addItem(item);
    else
        list->insertItem(row, item);
}
} // namespace

frmShowfields::frmShowfields(QWidget *parent)
    : Screen(kName, parent)
{
    setWindowTitle(QStringLiteral("Seleção de Campos"));
    resize(460, 320);

    lstAvail = new QListWidget(this);
    lstAvail->setObjectName(QStringLiteral("lstAvail"));
    lstVisible = new QListWidget(this);
    lstVisible->setObjectName(QStringLiteral("lstVisible"));
    lblcaption0 = new QLabel(QStringLiteral("Campos Disponíveis"), this);
    lblcaption0->setObjectName(QStringLiteral("lblcaption0"));
    lblcaption0->setBuddy(lstAvail);
    lstAvail->setAccessibleName(lblcaption0->text());
    lblcaption1 = new QLabel(QStringLiteral("Campos  Visiveis"), this);
    lblcaption1->setObjectName(QStringLiteral("lblcaption1"));
    lblcaption1->setBuddy(lstVisible);
    lstVisible->setAccessibleName(lblcaption1->text());

    cmdAdd = button(this, "cmdAdd", QStringLiteral("Adicionar ->"));
    cmdRemove = button(this, "cmdRemove", QStringLiteral("<- Remover"));
    cmdUp = button(this, "cmdUp", QStringLiteral("Para Cima"));
    cmdDown = button(this, "cmdDown", QStringLiteral("Para Baixo"));
    cmdOK = button(this, "cmdOK", QStringLiteral("OK"));
    cmdCancel = button(this, "cmdCancel", QStringLiteral("Cancela"));

    auto *moves = new QVBoxLayout;
    moves->addStretch();
    moves->addWidget(cmdAdd);
    moves->addWidget(cmdRemove);
    moves->addSpacing(12);
    moves->addWidget(cmdUp);
    moves->addWidget(cmdDown);
    moves->addStretch();
    auto *answers = new QHBoxLayout;
    answers->addStretch();
    answers->addWidget(cmdOK);
    answers->addWidget(cmdCancel);
    auto *grid = new QGridLayout(this);
    grid->addWidget(lblcaption0, 0, 0);
    grid->addWidget(lblcaption1, 0, 2);
    grid->addWidget(lstAvail, 1, 0);
    grid->addLayout(moves, 1, 1);
    grid->addWidget(lstVisible, 1, 2);
    grid->addLayout(answers, 2, 0, 1, 3);

    connectTrapped(cmdAdd, &QPushButton::clicked, [this] { cmdAdd_Click(); });
    connectTrapped(cmdRemove, &QPushButton::clicked, [this] { cmdRemove_Click(); });
    connectTrapped(cmdUp, &QPushButton::clicked, [this] { cmdUp_Click(); });
    connectTrapped(cmdDown, &QPushButton::clicked, [this] { cmdDown_Click(); });
    connectTrapped(cmdOK, &QPushButton::clicked, [this] {
        m_ok = true;
        hide();
    });
    connectTrapped(cmdCancel, &QPushButton::clicked, &QWidget::hide);
    connectTrapped(lstAvail, &QListWidget::itemDoubleClicked, [this] { cmdAdd_Click(); });
    connectTrapped(lstVisible, &QListWidget::itemDoubleClicked, [this] { cmdRemove_Click(); });
    connectTrapped(lstVisible, &QListWidget::currentRowChanged, [this] { EnableButtons(); });
}

bool frmShowfields::ShowFields(kq::platform::GridEX &gr)
{
    m_ok = false;
    {
        const QSignalBlocker blockAvail(lstAvail);
        const QSignalBlocker blockVisible(lstVisible);
        lstAvail->clear();
        lstVisible->clear();
        for (int p = 1; p <= gr.columnCount(); ++p) {
            const kq::platform::GridColumn &col = gr.columnAtPosition(p);
            addItem(col.isVisible() ? lstVisible : lstAvail, col.caption(), col.index());
        }
        lstAvail->setCurrentRow(-1);
        lstVisible->setCurrentRow(-1);
    }
    // Selecting in an empty list does nothing; the buttons then keep their
    // design state (all enabled).
    if (lstAvail->count() > 0)
        lstAvail->setCurrentRow(0);
    if (lstVisible->count() > 0)
        lstVisible->setCurrentRow(0);

    m_showing = true;
    kq::platform::execModal(this);
    m_showing = false;

    const bool result = m_ok;
    if (result) {
        for (int i = 0; i < lstAvail->count(); ++i)
            gr.column(lstAvail->item(i)->data(Qt::UserRole).toInt()).setVisible(false);
        for (int k = 0; k < lstVisible->count(); ++k) {
            kq::platform::GridColumn &col
                = gr.column(lstVisible->item(k)->data(Qt::UserRole).toInt());
            col.setVisible(true);
            col.setPosition(k + 1);
        }
    }
    auto &registry = kq::platform::ScreenRegistry::instance();
    if (registry.find(kName) == this)
        registry.unload(kName);
    else
        deleteLater();
    return result;
}

void frmShowfields::closeEvent(QCloseEvent *event)
{
    // Closing the window while it is open counts as "Cancela".
    if (m_showing) {
        event->ignore();
        hide();
        return;
    }
    Screen::closeEvent(event);
}

void frmShowfields::cmdAdd_Click()
{
    moveBetween(lstAvail, lstVisible);
}

void frmShowfields::cmdRemove_Click()
{
    moveBetween(lstVisible, lstAvail);
}

void frmShowfields::moveBetween(QListWidget *source, QListWidget *target)
{
    source->setFocus();
    const int i = source->currentRow();
    if (i < 0)
        return;
    QListWidgetItem *item = source->takeItem(i);
    const QString text = item->text();
    const QVariant data = item->data(Qt::UserRole);
    delete item;
    addItem(target, text, data);
    if (i < source->count())
        source->setCurrentRow(i);
    else if (i - 1 >= 0)
        source->setCurrentRow(i - 1);
    target->setCurrentRow(target->count() - 1);
    EnableButtons();
}

void frmShowfields::cmdUp_Click()
{
    moveWithin(-1);
}

void frmShowfields::cmdDown_Click()
{
    moveWithin(1);
}

void frmShowfields::moveWithin(int step)
{
    const int i = lstVisible->currentRow();
    const int to = i + step;
    if (i < 0 || to < 0 || to >= lstVisible->count())
        return;
    QListWidgetItem *item = lstVisible->takeItem(i);
    const QString text = item->text();
    const QVariant data = item->data(Qt::UserRole);
    delete item;
    addItem(lstVisible, text, data, to);
    lstVisible->setCurrentRow(to);
    lstVisible->setFocus();
    EnableButtons();
}

void frmShowfields::EnableButtons()
{
    const int place = lstVisible->currentRow();
    cmdAdd->setEnabled(lstAvail->currentRow() >= 0);
    cmdRemove->setEnabled(place >= 0);
    cmdUp->setEnabled(place > 0);
    cmdDown->setEnabled(place < lstVisible->count() - 1);
}

} // namespace kq::queries
