#include "cube/saveform.h"

#include "cube/rules/cubefilerules.h"
#include "cube/engine/dcube.h"
#include "platform/dialogs.h"
#include "core/errorinfo.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace kq::cube {

using kq::platform::Buttons;
using kq::platform::Dialogs;
using kq::platform::Icon;

namespace {
QString &fileNameSlot()
{
    static QString fileName;
    return fileName;
}
} // namespace

QString SaveForm::FileName()
{
    return fileNameSlot();
}

void SaveForm::setFileName(const QString &fileName)
{
    fileNameSlot() = fileName;
}

void SaveForm::setCube(kq::platform::DCube *cube)
{
    m_cube = cube;
}

SaveForm::SaveForm(QWidget *parent)
    : Screen(QStringLiteral("SaveForm"), parent)
{
    setWindowTitle(QStringLiteral("Rotina para Salvar lay-out "));
    setTwipsSize(6000, 4700);

    SaveOptionFrame = new QGroupBox(QStringLiteral("Opções de Salvamento"), this);
    SaveOptionFrame->setObjectName(QStringLiteral("SaveOptionFrame"));
    SaveOption[0] = new QRadioButton(QStringLiteral("Somente lay-out  do cubo "), SaveOptionFrame);
    SaveOption[1] = new QRadioButton(QStringLiteral("Salvar lay out e dados"), SaveOptionFrame);
    CompressionCheck = new QCheckBox(QStringLiteral("Compactar"), SaveOptionFrame);
    CompressionCheck->setObjectName(QStringLiteral("CompressionCheck"));
    CompressionCheck->setChecked(true);
    auto *options = new QVBoxLayout(SaveOptionFrame);
    for (int i = 0; i < 2; ++i) {
        SaveOption[i]->setObjectName(QStringLiteral("SaveOption(%1)").arg(i));
        options->addWidget(SaveOption[i]);
    }
    options->addWidget(CompressionCheck);
    SaveOption[0]->setChecked(true);

    cmdSavePath = new QPushButton(QStringLiteral("Escolher local e nome do arquivo"), this);
    cmdSavePath->setObjectName(QStringLiteral("cmdSavePath"));
    cmdSavePath->setToolTip(QStringLiteral("Click here to set the save path."));
    FileNameLabel = new QLabel(QStringLiteral("Diretório"), this);
    FileNameLabel->setObjectName(QStringLiteral("FileNameLabel"));
    FilePathTextbox = new QLineEdit(this);
    FilePathTextbox->setObjectName(QStringLiteral("FilePathTextbox"));
    FileNameLabel->setBuddy(FilePathTextbox);

    fraPassword = new QGroupBox(QStringLiteral("Configurações de Segurança"), this);
    fraPassword->setObjectName(QStringLiteral("fraPassword"));
    optPassword[0] = new QRadioButton(QStringLiteral("Não exigir senha"), fraPassword);
    optPassword[1] = new QRadioButton(QStringLiteral("Exigir senha"), fraPassword);
    txtPassword = new QLineEdit(fraPassword);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEnabled(false);
    txtPassword->setReadOnly(true);
    auto *security = new QGridLayout(fraPassword);
    for (int i = 0; i < 2; ++i) {
        optPassword[i]->setObjectName(QStringLiteral("optPassword(%1)").arg(i));
        security->addWidget(optPassword[i], i, 0);
        connectTrapped(optPassword[i], &QRadioButton::toggled, [this, i](bool on) {
            if (on)
                optPassword_Click(i);
        });
    }
    security->addWidget(txtPassword, 1, 1);
    optPassword[0]->setChecked(true);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancela"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    // Enter presses the button that has the focus, or else "OK".
    setDialogKeys(OKButton, CancelButton, true);

    auto *path = new QHBoxLayout;
    path->addWidget(FileNameLabel);
    path->addWidget(FilePathTextbox, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(SaveOptionFrame);
    layout->addWidget(cmdSavePath);
    layout->addLayout(path);
    layout->addWidget(fraPassword);
    layout->addLayout(buttons);

    connectTrapped(cmdSavePath, &QPushButton::clicked, &SaveForm::BrowseSavePath);
    connectTrapped(OKButton, &QPushButton::clicked, &SaveForm::OKButton_Click);
    connectTrapped(CancelButton, &QPushButton::clicked, &QWidget::close);

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    setPlacement(Placement::Own);
}

void SaveForm::BrowseSavePath()
{
    const QString chosen
        = Dialogs::saveFile(QStringLiteral("Where would you like to save your cube file?"),
                            FileName(), QStringLiteral("DynamiCube Microcube File (*.cub)|*.cub"));
    if (chosen.isEmpty())
        return;
    setFileName(chosen);
    FilePathTextbox->setText(chosen);
}

void SaveForm::optPassword_Click(int index)
{
    const bool on = index == 1;
    txtPassword->setEnabled(on);
    txtPassword->setReadOnly(!on);
    if (on)
        txtPassword->setFocus();
}

void SaveForm::OKButton_Click()
{
    if (FileName().isEmpty())
        return;
    try {
        kq::platform::DCube *cube = m_cube;
        if (!cube)
            throw kq::platform::RuntimeError(91, QStringLiteral("Variável de objeto não definida"),
                                             QStringLiteral("SaveForm"));
        const int flags = saveFlags(!SaveOption[0]->isChecked(), CompressionCheck->isChecked());
        const bool protect = !optPassword[0]->isChecked();
        const QString password = savePassword(protect, txtPassword->text());
        // A file the user takes as protected is never written without a password.
        if (protect && password.isEmpty()) {
            Dialogs::message(QStringLiteral("Digite a senha."), QString(), Buttons::Ok,
                             Icon::Information);
            txtPassword->setFocus();
            return;
        }
        cube->setPassword(password);
        if (cube->save(FileName(), flags)) {
            close();
            return;
        }
        // Cancelled while writing: nothing written, the form stays open.
        if (cube->model()->lastErrorCode() == kq::platform::CubeErrCancelled)
            return;
        // The cube's own text says why (a full disk, a missing folder...).
        Dialogs::message(QStringLiteral("There was a problem saving your cube file.\r\n")
                             + cube->model()->lastError(),
                         QStringLiteral("Save Failed"), Buttons::Ok, Icon::Information);
    } catch (...) {
        const kq::platform::ErrorInfo e = kq::platform::currentErrorInfo();
        Dialogs::message(e.description + QStringLiteral("\r\n") + QString::number(e.number));
    }
}

// OK is the default button and Cancela the cancel button.
} // namespace kq::cube
