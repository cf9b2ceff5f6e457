#include "cube/fexport.h"

#include "cube/rules/cubefilerules.h"
#include "cube/fcubovendas.h"
#include "cube/engine/dcube.h"
#include "platform/dialogs.h"
#include "shell/services/procedures.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QVBoxLayout>

namespace kq::cube {

using kq::platform::Buttons;
using kq::platform::Dialogs;
using kq::platform::Icon;

namespace {
const QString kForm = QStringLiteral("fexport");
} // namespace

fexport::fexport(QWidget *parent)
    : Screen(kForm, parent)
{
    setWindowTitle(QStringLiteral("Exportar Dados"));
    setTwipsSize(6000, 4300);

    Frame1 = new QGroupBox(QStringLiteral("Export Options"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto check = [this](const char *name, const QString &caption) {
        auto *box = new QCheckBox(caption, Frame1);
        box->setObjectName(QString::fromLatin1(name));
        box->setChecked(true);
        return box;
    };
    robHTML = new QRadioButton(QStringLiteral("HTML"), Frame1);
    robHTML->setObjectName(QStringLiteral("robHTML"));
    robHTML->setChecked(true);
    robExcel = new QRadioButton(QStringLiteral("Excel"), Frame1);
    robExcel->setObjectName(QStringLiteral("robExcel"));
    ckbIncludeTotals = check("ckbIncludeTotals", QStringLiteral("Incluir Totais"));
    ckbExportFormattedNumbers
        = check("ckbExportFormattedNumbers", QStringLiteral("Exportar Números com formato"));
    ckbIncludeAttribColors = check("ckbIncludeAttribColors", QStringLiteral("Incluir Cores"));
    ckbMergeRowsAndColumns = check("ckbMergeRowsAndColumns", QStringLiteral("Merge Rows/Columns"));
    ShowFileCheck = check("ShowFileCheck", QStringLiteral("Mostrar"));
    lblVisDataFields = new QLabel(QStringLiteral("Dados Visiveis"), Frame1);
    lblVisDataFields->setObjectName(QStringLiteral("lblVisDataFields"));
    lstVisDataField = new QListWidget(Frame1);
    lstVisDataField->setObjectName(QStringLiteral("lstVisDataField"));
    lblVisDataFields->setBuddy(lstVisDataField);
    cmdExport = new QPushButton(QStringLiteral("Exportar"), Frame1);
    cmdExport->setObjectName(QStringLiteral("cmdExport"));

    auto *left = new QVBoxLayout;
    for (QWidget *w : std::initializer_list<QWidget *>{
             robHTML, robExcel, ckbIncludeTotals, ckbExportFormattedNumbers, ckbIncludeAttribColors,
             ckbMergeRowsAndColumns, ShowFileCheck})
        left->addWidget(w);
    left->addStretch(1);
    auto *right = new QVBoxLayout;
    right->addWidget(lblVisDataFields);
    right->addWidget(lstVisDataField, 1);
    right->addWidget(cmdExport);
    auto *frame = new QGridLayout(Frame1);
    frame->addLayout(left, 0, 0);
    frame->addLayout(right, 0, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);

    connectTrapped(cmdExport, &QPushButton::clicked, &fexport::cmdExport_Click);
    connectTrapped(lstVisDataField, &QListWidget::itemChanged, &fexport::lstVisDataField_ItemCheck);
}

void fexport::setCube(kq::platform::DCube *cube)
{
    if (cube == m_cube)
        return;
    m_cube = cube;
    kq::shell::trap(kForm, [&] {
        if (m_cube)
            fillDataFieldList(m_cube, lstVisDataField);
    });
}

void fexport::lstVisDataField_ItemCheck(QListWidgetItem *item)
{
    kq::shell::trap(kForm, [&] {
        if (m_cube)
            setDataFieldShownFromItem(m_cube, item);
    });
}

void fexport::cmdExport_Click()
{
    kq::platform::DCube *cube = m_cube;
    if (!cube)
        return;
    const bool IncludeTotals = ckbIncludeTotals->isChecked();
    const bool ExportFormattedNumbers = ckbExportFormattedNumbers->isChecked();
    const bool IncludeAttribColors = ckbIncludeAttribColors->isChecked();
    const bool MergeRowsAndColumns = ckbMergeRowsAndColumns->isChecked();
    const bool ShowFile = ShowFileCheck->isChecked();

    QString file;
    kq::platform::CubeResult written;
    if (robHTML->isChecked()) {
        file = htmlExportFile();
        written = cube->exportHtml(file, IncludeTotals, ExportFormattedNumbers, IncludeAttribColors,
                                   MergeRowsAndColumns);
    } else {
        file = excelExportFile();
        written = cube->exportExcel(file, IncludeTotals, ExportFormattedNumbers,
                                    IncludeAttribColors, MergeRowsAndColumns);
    }
    // A cancelled export leaves no file and keeps the screen open, silently.
    if (!written && written.code == kq::platform::CubeErrCancelled)
        return;
    // A failed export keeps the screen open and opens nothing.
    if (!written) {
        Dialogs::message(QStringLiteral("Não foi possível gravar o arquivo ") + file
                             + QStringLiteral("."),
                         QStringLiteral("Exportar Dados"), Buttons::Ok, Icon::Critical);
        return;
    }
    if (ShowFile && !fileOpener()(QUrl::fromLocalFile(file))) {
        Dialogs::message(QStringLiteral("Não foi possível abrir o arquivo ") + file
                             + QStringLiteral("."),
                         QStringLiteral("Exportar Dados"), Buttons::Ok, Icon::Information);
    }
    close();
}

} // namespace kq::cube
