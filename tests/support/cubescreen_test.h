#pragma once

// Shared pieces of the cube screen tests: a prepared folder with cheques, the
// cube screen opened from the main menu, and an answerer of password prompts.
#include "cube/passwordform.h"
#include "cube/fcubovendas.h"
#include "cube/screens.h"
#include "cube/engine/dcube.h"
#include "platform/screenregistry.h"
#include "shell/fprincipal.h"
#include "support/base_screens.h"
#include "support/shell_cubescreen_fixture.h"
#include "support/shell_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <optional>

namespace kq::test::cubescreen {

inline void registerCube()
{
    static bool done = false;
    if (!done) {
        done = true;
        kq::cube::registerScreens();
    }
}

// A shell fixture with the cube's rows.
struct CubeFixture
{
    CubeFixture()
    {
        registerCube();
        addCubeRows(shell.devolvidos());
    }
    ShellFixture shell;

    // Opens the cube screen as the main menu does (group 6, item 1).
    kq::cube::fcubovendas *open()
    {
        shell.main->ButtonBar1_ItemClick(6, 1);
        return qobject_cast<kq::cube::fcubovendas *>(
            kq::platform::ScreenRegistry::instance().find(QStringLiteral("fcubovendas")));
    }
};

// Answers each password prompt with the next scripted text (nullopt clicks
// Cancel) and keeps the prompts it saw.
class PasswordAnswerer : public QObject
{
public:
    explicit PasswordAnswerer(QList<std::optional<QString>> answers)
        : m_answers(std::move(answers))
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, &PasswordAnswerer::poll);
        m_timer.start();
    }
    QStringList prompts;
    QStringList titles;

private:
    void poll()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *form = qobject_cast<kq::cube::PasswordForm *>(w);
            if (!form || !form->isVisible() || m_seen.contains(form))
                continue;
            m_seen.append(form);
            prompts << form->PromptLabel->text();
            titles << form->windowTitle();
            const std::optional<QString> answer
                = m_answers.isEmpty() ? std::nullopt : m_answers.takeFirst();
            if (answer) {
                form->ValueTextbox->setText(*answer);
                form->OKButton->click();
            } else {
                form->CancelButton->click();
            }
        }
    }
    QList<std::optional<QString>> m_answers;
    QList<QPointer<QWidget>> m_seen;
    QTimer m_timer;
};

} // namespace kq::test::cubescreen
