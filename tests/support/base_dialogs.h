#pragma once

#include "platform/dialogs.h"

#include <QList>
#include <QQueue>
#include <QStringList>

namespace kq::test {

// Answers the program's dialogs from a script and records every message.
// Installed on construction, removed on destruction. A message with no
// scripted answer gets its default answer.
class ScriptedDialogs : public kq::platform::DialogBackend
{
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    QList<kq::platform::MessageRecord> messages;
    QQueue<kq::platform::Answer> answers;
    QQueue<std::optional<QString>> inputs; // inputBox answers (nullopt = cancel)
    // passwordBox answers (nullopt or none left = cancel), and the prompts shown.
    QQueue<std::optional<QString>> passwords;
    QStringList passwordPrompts;
    QQueue<QString> files; // open/save answers ("" = cancel)
    QQueue<QString> folders;
    QQueue<std::optional<QColor>> colors;
    bool printAccepted = true;
    bool pageSetupAccepted = true;
    int beeps = 0;
    // Progress windows: the labels shown, and the value at which the
    // scripted user presses "Cancelar" (-1: never).
    QStringList progressLabels;
    int cancelProgressAt = -1;

    QStringList texts() const;
    QString lastText() const;
    void clear() { messages.clear(); }

    kq::platform::Answer message(const kq::platform::MessageRecord &request,
                                 kq::platform::Answer defaultAnswer) override;
    std::optional<QString> inputBox(const QString &prompt, const QString &title,
                                    const QString &defaultText) override;
    std::optional<QString> passwordBox(const QString &prompt, const QString &title) override;
    QString openFile(const QString &, const QString &, const QString &) override;
    QString saveFile(const QString &, const QString &, const QString &) override;
    QString chooseFolder(const QString &, const QString &) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;
    std::optional<QFont> chooseFont(const QFont &initial) override;
    bool printDialog(QPrinter *) override { return printAccepted; }
    bool pageSetup(QPrinter *) override { return pageSetupAccepted; }
    void beep() override { ++beeps; }
    bool progress(const QString &label, int value, int maximum) override;
};

} // namespace kq::test
