#include "cube/passwordform.h"

#include "platform/screenregistry.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace kq::cube {

PasswordForm::PasswordForm(QWidget *parent)
    : Screen(QStringLiteral("PasswordForm"), parent)
{
    setTwipsSize(4800, 1900);
    setPlacement(Placement::Opener);
    PromptLabel = new QLabel(this);
    PromptLabel->setObjectName(QStringLiteral("PromptLabel"));
    PromptLabel->setWordWrap(true);
    ValueTextbox = new QLineEdit(this);
    ValueTextbox->setObjectName(QStringLiteral("ValueTextbox"));
    ValueTextbox->setEchoMode(QLineEdit::Password);
    ValueTextbox->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    PromptLabel->setBuddy(ValueTextbox);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    setDialogKeys(OKButton, CancelButton);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PromptLabel);
    layout->addWidget(ValueTextbox);
    layout->addLayout(buttons);

    connectTrapped(OKButton, &QPushButton::clicked, &PasswordForm::OKButton_Click);
    connectTrapped(CancelButton, &QPushButton::clicked, &PasswordForm::CancelButton_Click);
}

bool PasswordForm::GetPassword(const QString &Prompt, const QString &Title, QString &password)
{
    setWindowTitle(Title);
    PromptLabel->setText(Prompt);
    ValueTextbox->clear();
    // The form unloads itself on its buttons: the answer lives here.
    Answer answer;
    m_answer = &answer;
    QPointer<PasswordForm> self(this);
    kq::platform::execModal(this);
    if (self)
        self->m_answer = nullptr;
    password = answer.text;
    return answer.accepted;
}

void PasswordForm::OKButton_Click()
{
    if (m_answer) {
        m_answer->text = ValueTextbox->text();
        m_answer->accepted = true;
    }
    close();
}

void PasswordForm::CancelButton_Click()
{
    if (m_answer) {
        m_answer->text.clear();
        m_answer->accepted = false;
    }
    close();
}

// OK is the default button and Cancel the cancel button.
bool PasswordForm::previewKey(QKeyEvent *event)
{
    // Enter with Ctrl, Alt or Shift is left to the focused box.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier))
        return false;
    return Screen::previewKey(event);
}

} // namespace kq::cube
