#include "support/base_dialogs.h"

namespace kq::test {

using kq::platform::Answer;

ScriptedDialogs::ScriptedDialogs()
{
    kq::platform::Dialogs::setBackend(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    if (kq::platform::Dialogs::backend() == this)
        kq::platform::Dialogs::setBackend(nullptr);
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const auto &m : messages)
        out << m.text;
    return out;
}

QString ScriptedDialogs::lastText() const
{
    return messages.isEmpty() ? QString() : messages.last().text;
}

Answer ScriptedDialogs::message(const kq::platform::MessageRecord &request, Answer defaultAnswer)
{
    kq::platform::MessageRecord r = request;
    r.answer = answers.isEmpty() ? defaultAnswer : answers.dequeue();
    messages.append(r);
    return r.answer;
}

std::optional<QString> ScriptedDialogs::inputBox(const QString &prompt, const QString &title,
                                                 const QString &defaultText)
{
    kq::platform::MessageRecord r;
    r.text = prompt;
    r.title = title;
    messages.append(r);
    if (inputs.isEmpty())
        return defaultText;
    return inputs.dequeue();
}

std::optional<QString> ScriptedDialogs::passwordBox(const QString &prompt, const QString &)
{
    passwordPrompts << prompt;
    return passwords.isEmpty() ? std::nullopt : passwords.dequeue();
}

QString ScriptedDialogs::openFile(const QString &, const QString &, const QString &)
{
    return files.isEmpty() ? QString() : files.dequeue();
}

QString ScriptedDialogs::saveFile(const QString &, const QString &, const QString &)
{
    return files.isEmpty() ? QString() : files.dequeue();
}

QString ScriptedDialogs::chooseFolder(const QString &, const QString &)
{
    return folders.isEmpty() ? QString() : folders.dequeue();
}

std::optional<QColor> ScriptedDialogs::chooseColor(const QColor &)
{
    return colors.isEmpty() ? std::nullopt : colors.dequeue();
}

std::optional<QFont> ScriptedDialogs::chooseFont(const QFont &)
{
    return std::nullopt;
}

bool ScriptedDialogs::progress(const QString &label, int value, int)
{
    if (progressLabels.isEmpty() || progressLabels.last() != label)
        progressLabels << label;
    return cancelProgressAt >= 0 && value >= cancelProgressAt;
}

} // namespace kq::test
