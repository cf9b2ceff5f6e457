#include "shell/services/registerscreen.h"

#include "data/database.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/keys.h"
#include "platform/dialogs.h"
#include "core/errorinfo.h"
#include "core/format.h"
#include "platform/grid/gridex.h"
#include "platform/maskedbox.h"
#include "platform/textlimit.h"
#include "shell/services/appstate.h"
#include "shell/services/procedures.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

namespace kq::shell {

using kq::data::DataError;
using kq::platform::Dialogs;
using kq::platform::RuntimeError;

// ---- RegisterTable ------------------------------------------------------

RegisterTable::RegisterTable(const QString &keyField, int keyWidth)
    : m_keyField(keyField)
    , m_keyWidth(keyWidth)
{}

void RegisterTable::open(const QString &databaseName, const QString &recordSource)
{
    m_data.setDatabaseName(databaseName);
    m_data.setRecordSource(recordSource);
    m_data.refresh();
}

void RegisterTable::refresh()
{
    m_data.refresh();
}

QString RegisterTable::nextKey()
{
    // Counted rather than tested with EOF: a recordset left past its end
    // still has records.
    if (m_data.recordCount() == 0)
        return kq::data::nextKeyAfter(QString(), m_keyWidth);
    m_data.moveLast();
    return kq::data::nextKeyAfter(m_data.text(m_keyField), m_keyWidth);
}

bool RegisterTable::exists(const QString &key) const
{
    const QString sql = QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ? LIMIT 1")
                            .arg(m_data.baseTable(), m_keyField);
    return kq::data::scalar(m_data.databaseName(), sql, {key}).isValid();
}

bool RegisterTable::find(const QString &key)
{
    // The table decides, not the rows read at the last refresh: a record
    // deleted elsewhere is not found, one added elsewhere is.
    if (!exists(key))
        return false;
    if (m_data.findFirst(m_keyField, key))
        return true;
    m_data.refresh();
    return m_data.findFirst(m_keyField, key);
}

namespace {
void writeFields(kq::data::Recordset &data, const QString &keyField, const QString &key,
                 const FieldValues &fields)
{
    try {
        data.setField(keyField, key);
        for (const auto &f : fields)
            data.setField(f.first, f.second);
        data.update();
    } catch (...) {
        data.cancelUpdate();
        throw;
    }
}
} // namespace

bool RegisterTable::include(const QString &key, const FieldSource &fields)
{
    if (find(key))
        return false;
    // Every value is ready before the record is started: a value that fails
    // leaves the table as it was.
    const FieldValues values = fields ? fields() : FieldValues();
    m_data.addNew();
    writeFields(m_data, m_keyField, key, values);
    return true;
}

bool RegisterTable::findFresh(const QString &key)
{
    if (!exists(key))
        return false;
    // Rows read anew, so the write goes to the record the table holds now.
    m_data.refresh();
    return m_data.findFirst(m_keyField, key);
}

bool RegisterTable::alter(const QString &key, const FieldSource &fields)
{
    if (!findFresh(key))
        return false;
    const FieldValues values = fields ? fields() : FieldValues();
    m_data.edit();
    writeFields(m_data, m_keyField, key, values);
    return true;
}

bool RegisterTable::remove(const QString &key)
{
    if (!findFresh(key))
        return false;
    m_data.remove();
    return true;
}

// ---- helpers --------------------------------------------------------------

QVariant numberField(const QString &text, const QString &boxName)
{
    const std::optional<double> v = kq::platform::parseNumber(text);
    if (!v)
        throw RuntimeError(kq::data::ErrorNumber::TypeMismatch,
                           QStringLiteral("Tipos incompatíveis: \"%1\" não é um número.").arg(text),
                           boxName);
    return *v;
}

QVariant wholeNumberField(const QString &text, const QString &boxName)
{
    const double v = numberField(text, boxName).toDouble();
    if (std::floor(v) != v || std::fabs(v) > double(std::numeric_limits<int>::max()))
        throw RuntimeError(kq::data::ErrorNumber::TypeMismatch,
                           QStringLiteral("Tipos incompatíveis: \"%1\" não é um número "
                                          "inteiro.")
                               .arg(text),
                           boxName);
    return qint64(v);
}

QString numberText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return kq::platform::formatPlain(value.toDouble());
    default:
        return value.toString();
    }
}

// ---- RegisterScreen -------------------------------------------------------

namespace {
const QColor kPaleRed(255, 192, 192);
const QColor kOddRow(113, 247, 206);

QString labelStyle()
{
    return QStringLiteral("QLabel { color: #000080; font-family: Tahoma; font-weight: bold; }");
}
} // namespace

RegisterScreen::RegisterScreen(const QString &name, const QString &keyField, int keyWidth,
                               QWidget *parent)
    : Screen(name, parent)
    , Data1(keyField, keyWidth)
{
    setEscCloses(true);
    m_main = new QVBoxLayout(this);
    m_fields = new QGridLayout;
    m_fields->setHorizontalSpacing(6);
    m_main->addLayout(m_fields);
    buildFrame();

    GridEX1 = new kq::platform::GridEX(this);
    GridEX1->setObjectName(QStringLiteral("GridEX1"));
    GridEX1->setAccessibleName(QStringLiteral("GridEX1"));
    GridEX1->setAlternatingRowColors(kOddRow, Qt::white);
    GridEX1->setHeaderSort(true);
    GridEX1->setGroupByBoxVisible(false);
    GridEX1->setMultiSelect(false);
    m_main->addWidget(GridEX1, 1);
    connectTrapped(GridEX1, &kq::platform::GridEX::rowChanged, &RegisterScreen::GridEX1_RowChange);
}

void RegisterScreen::buildFrame()
{
    Frame1 = new QGroupBox(QStringLiteral("Opções"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto button = [this](const char *name, const QString &text, QStyle::StandardPixmap icon,
                         const QString &tip) {
        auto *b = new QPushButton(style()->standardIcon(icon), text, Frame1);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(tip);
        b->setAutoDefault(false);
        b->setMinimumWidth(110);
        return b;
    };
    const QString tipInclude = QStringLiteral("CLICAR AQUI APOS DIGITAR TODOS OS DADOS  ");
    Command2 = button("Command2", QStringLiteral("&Limpa Campos"), QStyle::SP_DialogResetButton,
                      tipInclude);
    CONFIRMA
        = button("CONFIRMA", QStringLiteral("&Incluir"), QStyle::SP_DialogApplyButton, tipInclude);
    alterar = button("alterar", QStringLiteral("&Alterar"), QStyle::SP_BrowserReload,
                     QStringLiteral("APÓS ESCOLHER O REGISTRO A SER ALTERADO E FAZER AS "
                                    "MODIFICAÇÕES NECESÁRIAS  CLICK AQUI"));
    EXCLUIR = button("EXCLUIR", QStringLiteral("&Excluir"), QStyle::SP_TrashIcon,
                     QStringLiteral("APÓS ESCOLHER O REGISTRO A SER EXCLUIDO CLICK AQUI"));
    Command1 = button("Command1", QStringLiteral("&Sair"), QStyle::SP_DialogCloseButton, QString());
    new QHBoxLayout(Frame1);
    placeButtons();
    m_main->addWidget(Frame1);

    connectTrapped(Command2, &QPushButton::clicked, &RegisterScreen::Command2_Click);
    connectTrapped(CONFIRMA, &QPushButton::clicked, &RegisterScreen::CONFIRMA_Click);
    connectTrapped(alterar, &QPushButton::clicked, &RegisterScreen::alterar_Click);
    connectTrapped(EXCLUIR, &QPushButton::clicked, &RegisterScreen::EXCLUIR_Click);
    connectTrapped(Command1, &QPushButton::clicked, [this] { Command1_Click(); });
}

void RegisterScreen::placeButtons()
{
    auto *row = static_cast<QHBoxLayout *>(Frame1->layout());
    for (QPushButton *b : {Command2, CONFIRMA, alterar, EXCLUIR, Command1})
        row->removeWidget(b);
    const QList<QPushButton *> order
        = m_buttonOrder == ButtonOrder::ClearFirst
              ? QList<QPushButton *>{Command2, CONFIRMA, alterar, EXCLUIR, Command1}
              : QList<QPushButton *>{CONFIRMA, alterar, EXCLUIR, Command2, Command1};
    for (QPushButton *b : order)
        row->addWidget(b);
    row->addStretch(1);
}

void RegisterScreen::setButtonOrder(ButtonOrder order)
{
    m_buttonOrder = order;
    placeButtons();
}

QLabel *RegisterScreen::addLabel(const QString &text, const QString &name, int row, int column)
{
    auto *l = new QLabel(text, this);
    l->setObjectName(name);
    l->setStyleSheet(labelStyle());
    m_fields->addWidget(l, row, column);
    return l;
}

QLineEdit *RegisterScreen::addCodeBox(const QString &boxName, const QString &hint, int row)
{
    Label1 = addLabel(QStringLiteral("Código      :"), QStringLiteral("Label1"), row, 0);
    m_codeBox = new QLineEdit(this);
    m_codeBox->setObjectName(boxName);
    m_codeBox->setMaximumWidth(120);
    setBoxColor(m_codeBox, kPaleRed);
    Label1->setBuddy(m_codeBox);
    m_fields->addWidget(m_codeBox, row, 1);
    if (!hint.isEmpty()) {
        Label11 = new QLabel(hint, this);
        Label11->setObjectName(QStringLiteral("Label11"));
        Label11->setAutoFillBackground(true);
        QPalette p = Label11->palette();
        p.setColor(QPalette::Window, kPaleRed);
        Label11->setPalette(p);
        m_fields->addWidget(Label11, row, 2, 1, -1, Qt::AlignLeft);
    }
    return m_codeBox;
}

QLineEdit *RegisterScreen::addTextBox(const QString &labelText, const QString &boxName,
                                      int maxLength, int row, int column, int span)
{
    QLabel *l = addLabel(labelText, QStringLiteral("lbl_") + boxName, row, column * 2);
    auto *box = new QLineEdit(this);
    box->setObjectName(boxName);
    kq::platform::setTextLimit(box, maxLength);
    l->setBuddy(box);
    m_fields->addWidget(box, row, column * 2 + 1, 1, span);
    return box;
}

QComboBox *RegisterScreen::addComboBox(const QString &labelText, const QString &boxName,
                                       bool editable, int row, int column)
{
    QLabel *l = addLabel(labelText, QStringLiteral("lbl_") + boxName, row, column * 2);
    auto *box = new QComboBox(this);
    box->setObjectName(boxName);
    box->setEditable(editable);
    if (editable)
        box->setInsertPolicy(QComboBox::NoInsert);
    l->setBuddy(box);
    m_fields->addWidget(box, row, column * 2 + 1, Qt::AlignLeft);
    return box;
}

QLineEdit *RegisterScreen::addStandardBoxes(const QString &codeName, const QString &descName,
                                            const QString &hint, const QColor &descColor)
{
    addCodeBox(codeName, hint, 0);
    m_descBox = addTextBox(QStringLiteral("Descrição :"), descName, 0, 1, 0, 3);
    Label2 = qobject_cast<QLabel *>(m_fields->itemAtPosition(1, 0)->widget());
    Label2->setObjectName(QStringLiteral("Label2"));
    setBoxColor(m_descBox, descColor);
    m_descBox->setMinimumWidth(360);
    m_focusBox = m_descBox;
    return m_descBox;
}

void RegisterScreen::bindField(const QString &field, QWidget *box)
{
    m_bindings.append({field, box});
}

void RegisterScreen::setPatternTabOrder(const QList<QWidget *> &boxes)
{
    QList<QWidget *> chain = boxes;
    chain << Command1 << CONFIRMA << alterar << EXCLUIR << GridEX1->view() << Command2;
    for (int i = 0; i + 1 < chain.size(); ++i)
        setTabOrder(chain.at(i), chain.at(i + 1));
    if (!boxes.isEmpty())
        boxes.first()->setFocus();
}

void RegisterScreen::bindViews(const QString &listSource, const QString &dataSource)
{
    const QString db = dataPath(kq::data::kDevolvidos);
    GridEX1->setDatabaseName(db);
    GridEX1->setRecordSource(listSource);
    GridEX1->rebind();
    GridEX1->refresh();
    Data1.open(db, dataSource);
}

void RegisterScreen::refreshViews()
{
    Data1.refresh();
    GridEX1->rebind();
    GridEX1->refresh();
}

QString RegisterScreen::deleteQuestion()
{
    return QStringLiteral("Deseja Realmente excluir esse registro? :");
}

void RegisterScreen::enterProcedure()
{
    ProcedimentoAtual = windowTitle();
}

bool RegisterScreen::step(const std::function<void()> &fn)
{
    return trap(objectName(), fn);
}

QString RegisterScreen::newKey()
{
    return Data1.nextKey();
}

FieldValues RegisterScreen::boundFields() const
{
    FieldValues out;
    for (const auto &b : m_bindings) {
        if (b.first.compare(Data1.keyField(), Qt::CaseInsensitive) == 0)
            continue;
        out.append({b.first, boxText(b.second)});
    }
    return out;
}

FieldValues RegisterScreen::includeFields()
{
    return boundFields();
}

FieldValues RegisterScreen::alterFields()
{
    return boundFields();
}

QString RegisterScreen::deleteName()
{
    return Data1.recordset().text(m_questionField);
}

void RegisterScreen::CONFIRMA_Click()
{
    enterProcedure();
    QString key;
    // A key that cannot be made ends the write: nothing is added under a
    // stale or typed code.
    const bool keyReady = step([&] {
        key = newKey();
        if (boxText(m_codeBox) != key)
            setBoxText(m_codeBox, key);
    });
    if (!includeAllowed())
        return;
    // A key or a value that fails writes nothing and leaves every box as
    // typed, for the user to correct; only a write clears the form.
    if (!keyReady)
        return;
    const bool written = step([&] {
        const bool added = Data1.include(key, [this] {
            const FieldValues values = includeFields();
            beforeInclude();
            return values;
        });
        if (added)
            afterInclude(key);
    });
    if (!written)
        return;
    step([this] { refreshViews(); });
    LimpaCampos();
}

void RegisterScreen::alterar_Click()
{
    enterProcedure();
    if (!alterAllowed())
        return;
    const QString key = boxText(m_codeBox);
    const bool written = step([&] {
        Data1.alter(key, [this] {
            const FieldValues values = alterFields();
            beforeAlter();
            return values;
        });
    });
    if (!written)
        return;
    step([this] { refreshViews(); });
    LimpaCampos();
}

void RegisterScreen::EXCLUIR_Click()
{
    enterProcedure();
    QString key;
    bool found = false;
    step([&] {
        const QVariant v = GridEX1->value(m_rowKeyColumn);
        if (v.isValid()) {
            key = v.toString();
            found = Data1.find(key);
        }
        if (!found)
            throw DataError(kq::data::ErrorNumber::NoCurrentRecord,
                            QStringLiteral("Nenhum registro atual."), objectName());
    });
    if (found) {
        QString name;
        step([&] { name = deleteName(); });
        if (Dialogs::confirmDelete(deleteQuestion() + name)) {
            step([&] { Data1.remove(key); });
            step([this] { refreshViews(); });
        }
    }
    LimpaCampos();
}

void RegisterScreen::Command2_Click()
{
    LimpaCampos();
}

void RegisterScreen::Command1_Click()
{
    close();
}

void RegisterScreen::GridEX1_RowChange()
{
    try {
        if (!GridEX1->hasCurrentRecord())
            return;
        const QVariant v = GridEX1->value(m_rowKeyColumn);
        if (!v.isValid())
            return;
        const QString key = v.toString();
        // A row whose record is gone (changed elsewhere) shows nothing.
        if (!Data1.find(key))
            return;
        MostraRegistro();
        afterRowChange(key);
    } catch (...) {
        MostrarErro(objectName());
    }
}

void RegisterScreen::MostraRegistro()
{
    enterProcedure();
    for (const auto &b : m_bindings)
        step([&] { setBoxText(b.second, Data1.recordset().text(b.first)); });
}

void RegisterScreen::LimpaCampos()
{
    enterProcedure();
    step([this] {
        for (const auto &b : m_bindings)
            setBoxText(b.second, QString());
        if (m_focusBox)
            m_focusBox->setFocus();
    });
}

QString RegisterScreen::boxText(const QWidget *box)
{
    if (auto *m = qobject_cast<const kq::platform::MaskEdBox *>(box))
        return m->text();
    if (auto *e = qobject_cast<const QLineEdit *>(box))
        return e->text();
    if (auto *c = qobject_cast<const QComboBox *>(box))
        return c->currentText();
    return QString();
}

void RegisterScreen::setBoxText(QWidget *box, const QString &text)
{
    if (auto *m = qobject_cast<kq::platform::MaskEdBox *>(box)) {
        m->setText(text);
    } else if (auto *e = qobject_cast<QLineEdit *>(box)) {
        e->setText(text);
    } else if (auto *c = qobject_cast<QComboBox *>(box)) {
        const int i = text.isEmpty() ? -1 : c->findText(text, Qt::MatchFixedString);
        if (i >= 0 && c->itemText(i) == text) {
            c->setCurrentIndex(i);
        } else {
            c->setCurrentIndex(-1);
            if (c->isEditable())
                c->setEditText(text);
        }
    }
}

void RegisterScreen::setBoxColor(QWidget *box, const QColor &color)
{
    QPalette p = box->palette();
    p.setColor(QPalette::Base, color);
    box->setPalette(p);
}

QColor RegisterScreen::boxColor(const QWidget *box)
{
    return box->palette().color(QPalette::Base);
}

} // namespace kq::shell
