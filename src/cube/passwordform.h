#pragma once

#include "platform/screen.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kq::cube {

// The password prompt of a protected cube file; made anew for every prompt.
class PasswordForm : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit PasswordForm(QWidget *parent = nullptr);

    QLabel *PromptLabel = nullptr;
    QLineEdit *ValueTextbox = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;

    // Shows the prompt modally; `password` gets the typed text. True on OK.
    bool GetPassword(const QString &Prompt, const QString &Title, QString &password);

protected:
    bool previewKey(QKeyEvent *event) override;

private:
    struct Answer
    {
        QString text;
        bool accepted = false;
    };
    void OKButton_Click();
    void CancelButton_Click();

    Answer *m_answer = nullptr;
};

} // namespace kq::cube
