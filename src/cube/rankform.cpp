#include "cube/rankform.h"

#include "cube/rules/rankrules.h"
#include "cube/engine/dcube.h"
#include "platform/dialogs.h"
#include "shell/services/procedures.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kq::cube {

using kq::platform::CubeField;

namespace {
const QString kForm = QStringLiteral("RankForm");

SortSettings settingsOf(const CubeField *f)
{
    return SortSettings{f->sortType(), f->rankDataField(), f->labelDescending()};
}
} // namespace

RankForm::RankForm(QWidget *parent)
    : Screen(kForm, parent)
{
    setWindowTitle(QStringLiteral("Ordenação do Cubo"));
    setTwipsSize(5400, 3900);

    DimensionFieldListLabel = new QLabel(QStringLiteral("&Campos a Ordenar"), this);
    DimensionFieldListLabel->setObjectName(QStringLiteral("DimensionFieldListLabel"));
    lstAxisFields = new QListWidget(this);
    lstAxisFields->setObjectName(QStringLiteral("lstAxisFields"));
    DimensionFieldListLabel->setBuddy(lstAxisFields);

    SortOrderLabel = new QLabel(QStringLiteral("Ordenação:"), this);
    SortOrderLabel->setObjectName(QStringLiteral("SortOrderLabel"));
    const QString captions[] = {QStringLiteral("&Padrão"), QStringLiteral("&Ascendente"),
                                QStringLiteral("&Descencente")};
    for (int i = 0; i < 3; ++i) {
        SortOption[i] = new QRadioButton(captions[i], this);
        SortOption[i]->setObjectName(QStringLiteral("SortOption(%1)").arg(i));
        connectTrapped(SortOption[i], &QRadioButton::toggled, [this, i](bool on) {
            if (on)
                SortOption_Click(i);
        });
    }
    MeasureComboLabel = new QLabel(QStringLiteral("&Indexar por:"), this);
    MeasureComboLabel->setObjectName(QStringLiteral("MeasureComboLabel"));
    cboDataFields = new QComboBox(this);
    cboDataFields->setObjectName(QStringLiteral("cboDataFields"));
    MeasureComboLabel->setBuddy(cboDataFields);
    CloseButton = new QPushButton(QStringLiteral("Sair"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setDefault(true);
    setDialogKeys(CloseButton, CloseButton);

    auto *sort = new QVBoxLayout;
    sort->addWidget(SortOrderLabel);
    for (QRadioButton *option : SortOption)
        sort->addWidget(option);
    sort->addSpacing(8);
    sort->addWidget(MeasureComboLabel);
    sort->addWidget(cboDataFields);
    sort->addStretch(1);
    sort->addWidget(CloseButton);
    auto *grid = new QGridLayout(this);
    grid->addWidget(DimensionFieldListLabel, 0, 0);
    grid->addWidget(lstAxisFields, 1, 0);
    grid->addLayout(sort, 1, 1);
    grid->setColumnStretch(0, 1);

    connectTrapped(lstAxisFields, &QListWidget::currentRowChanged, &RankForm::lstAxisFields_Click);
    connectTrapped(cboDataFields, &QComboBox::currentIndexChanged, &RankForm::cboDataFields_Click);
    connectTrapped(CloseButton, &QPushButton::clicked, &QWidget::close);

    DisableSortControls();
}

void RankForm::setDynamiCube(kq::platform::DCube *theCube)
{
    m_cube = theCube;
    BeginUpdate();
    lstAxisFields->clear();
    EndUpdate();
    if (!theCube)
        return;
    kq::platform::CubeFields *fields = theCube->fields();
    for (int i = 0; i < fields->count(); ++i) {
        const CubeField *f = fields->item(i);
        if (f->orientation() == kq::platform::OrientHidden
            || f->orientation() == kq::platform::OrientData)
            continue;
        auto *item = new QListWidgetItem(f->caption(), lstAxisFields);
        item->setData(Qt::UserRole, i);
    }
}

CubeField *RankForm::selectedField() const
{
    if (m_selected == -1 || !m_cube)
        return nullptr;
    return m_cube->fields()->item(m_selected);
}

void RankForm::setSelectedField(CubeField *cubeField)
{
    m_selected = -1;
    if (!m_cube) {
        kq::platform::Dialogs::message(
            QStringLiteral("Must set the Form.DynamiCube property before calling setting this "
                           "property."),
            QStringLiteral("Invalid Property Call - SelectedField"), kq::platform::Buttons::Ok,
            kq::platform::Icon::Critical);
        return;
    }
    kq::shell::trap(kForm, [&] {
        if (!cubeField) {
            BeginUpdate();
            lstAxisFields->setCurrentRow(-1);
            lstAxisFields->clearSelection();
            clearOptions();
            cboDataFields->setCurrentIndex(-1);
            DisableSortControls();
            EndUpdate();
            return;
        }
        EnableSortControls();
        const QList<CubeField *> all = m_cube->fields()->all();
        for (int i = 0; i < all.size(); ++i) {
            if (all.at(i)->caption().compare(cubeField->caption(), Qt::CaseInsensitive) == 0) {
                m_selected = i;
                break;
            }
        }
        if (m_selected == -1)
            return;
        for (int row = 0; row < lstAxisFields->count(); ++row) {
            if (lstAxisFields->item(row)->data(Qt::UserRole).toInt() == m_selected) {
                if (lstAxisFields->currentRow() == row)
                    lstAxisFields_Click(row);
                else
                    lstAxisFields->setCurrentRow(row);
                break;
            }
        }
    });
}

int RankForm::FindDataFieldListIndex(int index) const
{
    for (int i = 0; i < cboDataFields->count(); ++i) {
        const QVariant data = cboDataFields->itemData(i);
        if (data.isValid() && data.toInt() == index)
            return i;
    }
    return -1;
}

void RankForm::DisableSortControls()
{
    for (QRadioButton *option : SortOption)
        option->setEnabled(false);
    SortOrderLabel->setEnabled(false);
    MeasureComboLabel->setEnabled(false);
    cboDataFields->setEnabled(false);
}

void RankForm::EnableSortControls()
{
    for (QRadioButton *option : SortOption)
        option->setEnabled(true);
    SortOrderLabel->setEnabled(true);
    MeasureComboLabel->setEnabled(true);
    cboDataFields->setEnabled(!SortOption[0]->isChecked());
}

void RankForm::clearOptions()
{
    for (QRadioButton *option : SortOption) {
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
    }
}

int RankForm::selectedOption() const
{
    for (int i = 0; i < 3; ++i) {
        if (SortOption[i]->isChecked())
            return i;
    }
    return -1;
}

// Writes only what changed, so that an unchanged setting leaves the layout alone.
void RankForm::writeSettings(CubeField *field, const SortSettings &s)
{
    if (field->sortType() != s.sortType)
        field->setSortType(s.sortType);
    if (field->rankDataField() != s.rankDataField)
        field->setRankDataField(s.rankDataField);
    if (field->labelDescending() != s.labelDescending)
        field->setLabelDescending(s.labelDescending);
}

void RankForm::lstAxisFields_Click(int row)
{
    if (IsUpdating() || row < 0 || !m_cube)
        return;
    kq::shell::trap(kForm, [&] {
        EnableSortControls();
        m_selected = lstAxisFields->item(row)->data(Qt::UserRole).toInt();
        CubeField *field = selectedField();
        if (!field)
            throw kq::platform::RuntimeError(91, QStringLiteral("Variável de objeto não definida"),
                                             kForm);
        clearOptions();
        BeginUpdate();
        cboDataFields->clear();
        cboDataFields->addItem(field->caption());
        for (CubeField *data : m_cube->dataFields()->all()) {
            if (data->shown())
                cboDataFields->addItem(data->caption(), data->dataIndex());
        }
        const int option = sortOptionFor(settingsOf(field));
        if (option >= 0)
            SortOption[option]->setChecked(true);
        EndUpdate();
    });
}

void RankForm::SortOption_Click(int index)
{
    kq::shell::trap(kForm, [&] {
        CubeField *field = selectedField();
        if (!field)
            return;
        SortSettings s = settingsOf(field);
        const OptionOutcome out = chooseSortOption(index, s, IsUpdating());
        if (!IsUpdating())
            writeSettings(field, s);
        if (out.resort)
            m_cube->rebuild();
        if (out.selectLabels)
            cboDataFields->setCurrentIndex(0);
        else if (out.selectRankField)
            cboDataFields->setCurrentIndex(FindDataFieldListIndex(field->rankDataField()));
        cboDataFields->setEnabled(out.listEnabled);
    });
}

void RankForm::cboDataFields_Click(int index)
{
    if (IsUpdating() || index < 0)
        return;
    kq::shell::trap(kForm, [&] {
        CubeField *field = selectedField();
        if (!field)
            return;
        SortSettings s = settingsOf(field);
        chooseRankEntry(index == 0, cboDataFields->itemData(index).toInt(), selectedOption(), s);
        writeSettings(field, s);
        m_cube->refresh();
    });
}

bool RankForm::previewKey(QKeyEvent *event)
{
    // Enter in the data-field list is the list's own.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && cboDataFields->hasFocus())
        return false;
    return Screen::previewKey(event);
}

} // namespace kq::cube
