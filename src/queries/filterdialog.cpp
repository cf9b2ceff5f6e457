#include "queries/filterdialog.h"

#include "data/datafolder.h"
#include "platform/dbcombo.h"
#include "platform/dtpicker.h"
#include "platform/screenregistry.h"
#include "queries/querypattern.h"
#include "shell/services/appstate.h"
#include "shell/services/procedures.h"

#include <QDate>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kq::queries {

FilterDialog::FilterDialog(const QString &name, const QString &queryScreen, QWidget *parent)
    : Screen(name, parent)
    , m_name(name)
    , m_queryScreen(queryScreen)
{
    m_layout = new QVBoxLayout(this);
    m_layout->addStretch();
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    Command3 = new QPushButton(QStringLiteral("&Sair"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setAutoDefault(false);
    bottom->addWidget(Command3);
    m_layout->addLayout(bottom);
    connectTrapped(Command3, &QPushButton::clicked, &QWidget::close);
}

void FilterDialog::runFilter(const kq::data::RecordSource &source,
                             const QList<kq::platform::DBCombo *> &lists)
{
    if (!kq::platform::choicesAreClear(lists))
        return;
    auto *screen = kq::platform::ScreenRegistry::instance().get<QueryScreen>(m_queryScreen);
    if (!screen)
        return;
    // A failure is reported by the screen; the dialog stays for another try.
    if (screen->applyRecordSource(source))
        close();
}

QString FilterDialog::databasePath() const
{
    return kq::shell::dataPath(kq::data::kDevolvidos);
}

QBoxLayout *FilterDialog::addBlock()
{
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    auto *row = new QHBoxLayout(frame);
    // Above the stretch and "&Sair".
    m_layout->insertWidget(m_layout->count() - 2, frame);
    return row;
}

void FilterDialog::addLabelled(QBoxLayout *block, const QString &label, QWidget *field)
{
    auto *l = new QLabel(label, field->parentWidget());
    l->setBuddy(field);
    field->setAccessibleName(label);
    block->addWidget(l);
    block->addWidget(field);
}

kq::platform::DBCombo *FilterDialog::addCombo(QBoxLayout *block, const QString &label,
                                              const QString &name, const QString &rowSource,
                                              const QString &listField, const QString &boundColumn)
{
    auto *combo = new kq::platform::DBCombo(block->parentWidget());
    combo->setObjectName(name);
    combo->setMinimumWidth(240);
    combo->setDatabaseName(databasePath());
    combo->setRowSource(rowSource);
    combo->setListField(listField);
    combo->setBoundColumn(boundColumn);
    kq::shell::trap(m_name, [&] { combo->refresh(); });
    combo->setText(QString());
    addLabelled(block, label, combo);
    return combo;
}

kq::platform::DTPicker *FilterDialog::addDate(QBoxLayout *block, const QString &label,
                                              const QString &name)
{
    auto *date = new kq::platform::DTPicker(block->parentWidget());
    date->setObjectName(name);
    date->setValue(QDate::currentDate());
    addLabelled(block, label, date);
    return date;
}

QPushButton *FilterDialog::addButton(QBoxLayout *block, const QString &name, const QString &caption)
{
    block->addStretch();
    auto *b = new QPushButton(caption, block->parentWidget());
    b->setObjectName(name);
    b->setAutoDefault(false);
    block->addWidget(b);
    return b;
}

} // namespace kq::queries
