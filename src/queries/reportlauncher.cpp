#include "queries/reportlauncher.h"

#include "data/datafolder.h"
#include "platform/dbcombo.h"
#include "platform/dtpicker.h"
#include "platform/report/reportengine.h"
#include "queries/filelistbox.h"
#include "shell/services/appstate.h"

#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace kq::queries {

QGroupBox *periodFrame(const QString &title, const QString &startName, const QString &endName,
                       kq::platform::DTPicker **start, kq::platform::DTPicker **end,
                       QWidget *parent)
{
    auto *box = new QGroupBox(title, parent);
    auto *grid = new QGridLayout(box);
    *start = new kq::platform::DTPicker(box);
    (*start)->setObjectName(startName);
    (*start)->setValue(QDate::currentDate());
    *end = new kq::platform::DTPicker(box);
    (*end)->setObjectName(endName);
    (*end)->setValue(QDate::currentDate());
    auto *de = new QLabel(QStringLiteral("De:"), box);
    de->setBuddy(*start);
    auto *a = new QLabel(QStringLiteral("A"), box);
    a->setBuddy(*end);
    grid->addWidget(de, 0, 0);
    grid->addWidget(*start, 0, 1);
    grid->addWidget(a, 0, 2);
    grid->addWidget(*end, 0, 3);
    return box;
}

FileListBox *reportList(const QString &name, const QString &pattern, QWidget *parent)
{
    auto *list = new FileListBox(pattern, parent);
    list->setObjectName(name);
    list->setAccessibleName(name);
    list->setPath(kq::shell::dataFolder());
    return list;
}

kq::platform::DBCombo *lookupCombo(const QString &name, const QString &rowSource,
                                   const QString &listField, const QString &boundColumn,
                                   QWidget *parent)
{
    auto *combo = new kq::platform::DBCombo(parent);
    combo->setObjectName(name);
    combo->setDatabaseName(kq::shell::dataPath(kq::data::kDevolvidos));
    combo->setRowSource(rowSource);
    combo->setListField(listField);
    combo->setBoundColumn(boundColumn);
    combo->refresh();
    combo->setCurrentIndex(-1);
    return combo;
}

bool runChosenReport(kq::platform::ReportEngine &engine, const FileListBox *list,
                     const QString &formula)
{
    const QString folder = kq::shell::dataFolder();
    engine.setDataFiles(0, kq::data::dataFile(folder, kq::data::kDevolvidos));
    engine.setReportFileName(
        list->fileName().isEmpty() ? QString() : kq::data::dataFile(folder, list->fileName()));
    engine.setWindowShowPrintSetupBtn(true);
    engine.setWindowState(2);
    engine.setSelectionFormula(formula);
    return engine.run();
}

QHBoxLayout *runButtons(QWidget *parent, QPushButton **executar, QPushButton **sair)
{
    auto *buttons = new QHBoxLayout;
    *executar = new QPushButton(QStringLiteral("&Executar"), parent);
    (*executar)->setObjectName(QStringLiteral("Command2"));
    *sair = new QPushButton(QStringLiteral("&Sair"), parent);
    (*sair)->setObjectName(QStringLiteral("Command1"));
    buttons->addStretch();
    buttons->addWidget(*executar);
    buttons->addWidget(*sair);
    return buttons;
}

kq::platform::ReportEngine *reportEngine(QWidget *parent)
{
    auto *engine = new kq::platform::ReportEngine(parent);
    engine->setObjectName(QStringLiteral("CrystalReport1"));
    return engine;
}

ReportLauncher::ReportLauncher(const QString &name, QWidget *parent)
    : Screen(name, parent)
    , CrystalReport1(reportEngine(this))
{}

void ReportLauncher::Command1_Click()
{
    close();
}

} // namespace kq::queries
