#include "cube/datamarkerseditorform.h"

#include "cube/commondialoghelper.h"
#include "cube/datamarkercollection.h"
#include "cube/rules/markerranges.h"
#include "cube/engine/dcube.h"
#include "platform/dialogs.h"
#include "platform/screenregistry.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace kq::cube {

using kq::platform::Dialogs;
using kq::platform::Icon;

namespace {
const QString kName = QStringLiteral("DataMarkersEditorForm");
const QString kTryAgain = QStringLiteral("Please Try Again...");
} // namespace

DataMarkersEditorForm::DataMarkersEditorForm(QWidget *parent)
    : Screen(kName, parent)
{
    setWindowTitle(QStringLiteral("Gerador de Marcadores"));

    auto label = [this](const char *name, const QString &caption) {
        auto *l = new QLabel(caption, this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    lblDataField = label("lblDataField", QStringLiteral("Campos:"));
    cboDataMarkerField = new QComboBox(this);
    cboDataMarkerField->setObjectName(QStringLiteral("cboDataMarkerField"));
    cboDataMarkerField->setEditable(false);
    lblDataField->setBuddy(cboDataMarkerField);

    lblRange = label("lblRange", QStringLiteral("&De:"));
    lblRangeTo = label("lblRangeTo", QStringLiteral("&To"));
    for (int i = 0; i < 2; ++i) {
        txtLimit[i] = new QLineEdit(this);
        txtLimit[i]->setObjectName(QStringLiteral("txtLimit(%1)").arg(i));
        txtLimit[i]->installEventFilter(this);
    }
    lblRange->setBuddy(txtLimit[0]);
    lblRangeTo->setBuddy(txtLimit[1]);

    lblBackColor = label("lblBackColor", QStringLiteral("&Cor de Fundo:"));
    cmdDMBackColor = new QPushButton(QStringLiteral("..."), this);
    cmdDMBackColor->setObjectName(QStringLiteral("cmdDMBackColor"));
    lblBackColor->setBuddy(cmdDMBackColor);
    lblForeColor = label("lblForeColor", QStringLiteral("Cor da &Fonte"));
    cmdDMForeColor = new QPushButton(QStringLiteral("..."), this);
    cmdDMForeColor->setObjectName(QStringLiteral("cmdDMForeColor"));
    lblForeColor->setBuddy(cmdDMForeColor);

    cmdAdd = new QPushButton(QStringLiteral("&Incluir"), this);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdDelete = new QPushButton(QStringLiteral("&Remover"), this);
    cmdDelete->setObjectName(QStringLiteral("cmdDelete"));
    cmdDelete->setEnabled(false);
    lstRanges = new QListWidget(this);
    lstRanges->setObjectName(QStringLiteral("lstRanges"));

    for (QPushButton *b : {cmdDMBackColor, cmdDMForeColor, cmdAdd, cmdDelete})
        b->setAutoDefault(false);
    cmdDMBackColor->setFixedWidth(60);
    cmdDMForeColor->setFixedWidth(60);

    auto *grid = new QGridLayout(this);
    grid->addWidget(lblDataField, 0, 0);
    grid->addWidget(cboDataMarkerField, 0, 1, 1, 3);
    grid->addWidget(lblRange, 1, 0);
    grid->addWidget(txtLimit[0], 1, 1);
    grid->addWidget(lblRangeTo, 1, 2);
    grid->addWidget(txtLimit[1], 1, 3);
    grid->addWidget(lblBackColor, 2, 0);
    grid->addWidget(cmdDMBackColor, 2, 1, Qt::AlignLeft);
    grid->addWidget(lblForeColor, 3, 0);
    grid->addWidget(cmdDMForeColor, 3, 1, Qt::AlignLeft);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdAdd);
    buttons->addWidget(cmdDelete);
    buttons->addStretch();
    grid->addLayout(buttons, 4, 0);
    grid->addWidget(lstRanges, 4, 1, 1, 3);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    lblRangeTo->setMinimumWidth(lblRangeTo->sizeHint().width());
    resize(360, 300);

    connectTrapped(cboDataMarkerField, &QComboBox::currentIndexChanged,
                   [this] { RefreshRangeList(); });
    connectTrapped(lstRanges, &QListWidget::currentRowChanged, [this](int row) {
        if (row >= 0)
            ShowSelectedMarker();
    });
    connectTrapped(cmdAdd, &QPushButton::clicked, &DataMarkersEditorForm::cmdAdd_Click);
    connectTrapped(cmdDelete, &QPushButton::clicked, &DataMarkersEditorForm::cmdDelete_Click);
    connectTrapped(cmdDMBackColor, &QPushButton::clicked, [this] { changeColor(true); });
    connectTrapped(cmdDMForeColor, &QPushButton::clicked, [this] { changeColor(false); });
}

void DataMarkersEditorForm::ShowDataMarkers(kq::platform::DCube *cubeObject,
                                            DataMarkerCollection *dataMarkers)
{
    auto &registry = kq::platform::ScreenRegistry::instance();
    // A fresh editor each time, so its lists start empty.
    registry.unload(kName);
    auto *form = registry.get<DataMarkersEditorForm>(kName);
    if (!form)
        return;
    form->fill(cubeObject, dataMarkers);
    registry.showModal(kName);
}

void DataMarkersEditorForm::fill(kq::platform::DCube *cubeObject, DataMarkerCollection *dataMarkers)
{
    m_markers = dataMarkers;
    m_cube = cubeObject;
    {
        const QSignalBlocker block(cboDataMarkerField);
        if (m_cube) {
            auto *fields = m_cube->dataFields();
            for (int i = 0; i < fields->count(); ++i)
                cboDataMarkerField->addItem(fields->item(i)->caption(), i);
        }
        cboDataMarkerField->setCurrentIndex(cboDataMarkerField->count() > 0 ? 0 : -1);
    }
    RefreshRangeList();
}

kq::platform::CubeField *DataMarkersEditorForm::GetSelectedDataField() const
{
    if (!m_cube || cboDataMarkerField->currentIndex() < 0)
        return nullptr;
    return m_cube->dataFields()->item(cboDataMarkerField->currentData().toInt());
}

dataMarker *DataMarkersEditorForm::GetSelectedMarker() const
{
    const QListWidgetItem *item = lstRanges->currentItem();
    if (!m_markers || !item || !item->isSelected())
        return nullptr;
    const int position = item->data(Qt::UserRole).toInt();
    if (position < 1 || position > m_markers->Count())
        return nullptr;
    return m_markers->Item(position);
}

void DataMarkersEditorForm::RefreshRangeList()
{
    const kq::platform::CubeField *field = GetSelectedDataField();
    lstRanges->clear();
    if (!field || !m_markers)
        return;
    const int n = m_markers->Count();
    for (int i = 1; i <= n; ++i) {
        const dataMarker *marker = m_markers->Item(i);
        if (marker->dataFieldName != field->name())
            continue;
        auto *item = new QListWidgetItem(
            rangeText(marker->LowValue, marker->HighValue, field->numberFormat()), lstRanges);
        item->setData(Qt::UserRole, i);
    }
    if (lstRanges->count() > 0)
        lstRanges->setCurrentRow(0);
}

void DataMarkersEditorForm::ShowSelectedMarker()
{
    const dataMarker *marker = GetSelectedMarker();
    if (!marker)
        return;
    txtLimit[0]->setText(localeText(marker->LowValue));
    txtLimit[1]->setText(localeText(marker->HighValue));
    setButtonColor(cmdDMBackColor, marker->BackColor);
    setButtonColor(cmdDMForeColor, marker->ForeColor);
    cmdDelete->setEnabled(true);
}

bool DataMarkersEditorForm::NewDataMarker(const QString &dataFieldName)
{
    if (!m_cube || !m_markers)
        return false;
    const kq::platform::CubeField *field = m_cube->fields()->item(dataFieldName);
    const QString caption = field ? field->caption() : QString();
    QString prompt = QStringLiteral("Entre com a faixa de valores desejada para ") + caption
                     + QStringLiteral(". Usando como separador (-) ")
                     + QStringLiteral("para valores negatigos use parenteses.|||")
                     + QLatin1Char('"') + QStringLiteral("(2) - 4.9");
    prompt.replace(QLatin1Char('|'), QStringLiteral("\r\n"));
    const std::optional<QString> answer
        = Dialogs::inputBox(prompt, QStringLiteral("New Data Marker"), QString());
    if (!answer || answer->isEmpty())
        return false;
    const MarkerRange range = parseMarkerRange(*answer);
    switch (range.status) {
    case MarkerRange::Empty:
        return false;
    case MarkerRange::InvalidRange:
        Dialogs::message(QStringLiteral("Invalid Data Marker range."), kTryAgain,
                         kq::platform::Buttons::Ok, Icon::Information);
        return false;
    case MarkerRange::InvalidNumber:
        Dialogs::message(QStringLiteral("'") + range.badPiece
                             + QStringLiteral("' is not a valid number."),
                         kTryAgain, kq::platform::Buttons::Ok, Icon::Warning);
        return false;
    case MarkerRange::Ok:
        break;
    }
    m_markers->Add(255, 16777215, range.low, range.high, dataFieldName);
    refreshCube();
    return true;
}

bool DataMarkersEditorForm::UpdateLimit(int Index)
{
    if (Index < 0 || Index > 1)
        return false;
    try {
        dataMarker *marker = GetSelectedMarker();
        if (!marker) {
            txtLimit[0]->setText(QStringLiteral("0"));
            txtLimit[1]->setText(QStringLiteral("0"));
            QApplication::beep();
            return true;
        }
        // One reading for the test and the value kept: the regional one.
        const std::optional<double> v = localeNumber(txtLimit[Index]->text());
        if (!v) {
            Dialogs::message(QStringLiteral("Number must be Numeric"),
                             QStringLiteral("Invalid Value"), kq::platform::Buttons::Ok,
                             Icon::Warning);
            return false;
        }
        applyLimit(*marker, Index, *v);
        if (const kq::platform::CubeField *field = GetSelectedDataField()) {
            lstRanges->currentItem()->setText(
                rangeText(marker->LowValue, marker->HighValue, field->numberFormat()));
        }
        refreshCube();
        return true;
    } catch (...) {
        return false;
    }
}

void DataMarkersEditorForm::cmdAdd_Click()
{
    const kq::platform::CubeField *field = GetSelectedDataField();
    if (!field)
        return;
    if (NewDataMarker(field->name()))
        RefreshRangeList();
}

void DataMarkersEditorForm::cmdDelete_Click()
{
    const QListWidgetItem *item = lstRanges->currentItem();
    if (!item || !item->isSelected() || !m_markers)
        return;
    const int position = item->data(Qt::UserRole).toInt();
    if (position < 1 || position > m_markers->Count())
        return;
    m_markers->Remove(position);
    RefreshRangeList();
    refreshCube();
}

void DataMarkersEditorForm::changeColor(bool back)
{
    dataMarker *marker = GetSelectedMarker();
    if (!marker)
        return; // no marker to change
    qint32 colour = back ? marker->BackColor : marker->ForeColor;
    if (!PickColor(back ? QStringLiteral("BackColor") : QStringLiteral("ForeColor"), colour))
        return;
    if (back)
        marker->BackColor = colour;
    else
        marker->ForeColor = colour;
    setButtonColor(back ? cmdDMBackColor : cmdDMForeColor, colour);
    refreshCube();
}

bool DataMarkersEditorForm::PickColor(const QString &name, qint32 &colour)
{
    Q_UNUSED(name);
    // A new helper for every choice: its custom colours start from the
    // system colours each time.
    CommonDialogHelper helper;
    qint32 chosen = colour;
    if (!helper.VBChooseColor(chosen, true, false, false, -1, 0))
        return false;
    colour = chosen;
    return true;
}

void DataMarkersEditorForm::refreshCube()
{
    if (m_cube)
        m_cube->refresh();
}

void DataMarkersEditorForm::setButtonColor(QPushButton *button, qint32 colour)
{
    const QColor c = kq::platform::cubeColor(colour);
    button->setProperty("BackColor", colour);
    button->setStyleSheet(QStringLiteral("background-color: %1;").arg(c.name()));
}

bool DataMarkersEditorForm::eventFilter(QObject *watched, QEvent *event)
{
    const int index = watched == txtLimit[0] ? 0 : watched == txtLimit[1] ? 1 : -1;
    if (index < 0)
        return Screen::eventFilter(watched, event);
    QLineEdit *box = txtLimit[index];
    switch (event->type()) {
    case QEvent::FocusIn:
        // After the click that gave the focus, which would undo a selection now.
        QTimer::singleShot(0, box, [box] { box->selectAll(); });
        break;
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // A message box or another window taking the focus is no leaving of
        // the box; neither is a validation already running.
        if (m_validating || reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason
            || !isVisible())
            break;
        m_validating = true;
        const bool ok = UpdateLimit(index);
        m_validating = false;
        if (!ok)
            QTimer::singleShot(0, box, [box] { box->setFocus(); });
        break;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_validating = true;
            UpdateLimit(index);
            m_validating = false;
        }
        break;
    }
    default:
        break;
    }
    return Screen::eventFilter(watched, event);
}

} // namespace kq::cube
