#include "platform/dialogs.h"

#include "core/paths.h"
#include "platform/placement.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace kq::platform {

namespace {

QMessageBox::Icon toQt(Icon icon)
{
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton toQt(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return QMessageBox::Ok;
    case Answer::Cancel:
        return QMessageBox::Cancel;
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButtons toQt(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return QMessageBox::Ok;
    case Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// Message boxes and dialogs centre on the window they belong to.
QWidget *activeParent()
{
    return openerWindow();
}

class QtBackend : public DialogBackend
{
public:
    Answer message(const MessageRecord &request, Answer defaultAnswer) override
    {
        QMessageBox box(toQt(request.icon), request.title, request.text, toQt(request.buttons),
                        activeParent());
        box.setDefaultButton(toQt(defaultAnswer));
        switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        default:
            break;
        }
        return request.buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }

    std::optional<QString> inputBox(const QString &prompt, const QString &title,
                                    const QString &defaultText) override
    {
        bool ok = false;
        QString text = QInputDialog::getText(activeParent(), title, prompt, QLineEdit::Normal,
                                             defaultText, &ok);
        if (!ok)
            return std::nullopt;
        return text;
    }

    std::optional<QString> passwordBox(const QString &prompt, const QString &title) override
    {
        bool ok = false;
        QString text = QInputDialog::getText(activeParent(), title, prompt, QLineEdit::Password,
                                             QString(), &ok);
        if (!ok)
            return std::nullopt;
        return text;
    }

    QString openFile(const QString &caption, const QString &dir, const QString &filter) override
    {
        return QFileDialog::getOpenFileName(activeParent(), caption, dir, filter);
    }

    QString saveFile(const QString &caption, const QString &dir, const QString &filter) override
    {
        return QFileDialog::getSaveFileName(activeParent(), caption, dir, filter);
    }

    QString chooseFolder(const QString &caption, const QString &dir) override
    {
        return QFileDialog::getExistingDirectory(activeParent(), caption, dir);
    }

    std::optional<QColor> chooseColor(const QColor &initial) override
    {
        QColor c = QColorDialog::getColor(initial, activeParent());
        if (!c.isValid())
            return std::nullopt;
        return c;
    }

    std::optional<QFont> chooseFont(const QFont &initial) override
    {
        bool ok = false;
        QFont f = QFontDialog::getFont(&ok, initial, activeParent());
        if (!ok)
            return std::nullopt;
        return f;
    }

    bool printDialog(QPrinter *printer) override
    {
        QPrintDialog dialog(printer, activeParent());
        return dialog.exec() == QDialog::Accepted;
    }

    bool pageSetup(QPrinter *printer) override
    {
        QPageSetupDialog dialog(printer, activeParent());
        return dialog.exec() == QDialog::Accepted;
    }

    void beep() override { QApplication::beep(); }
};

QtBackend &qtBackend()
{
    static QtBackend backend;
    return backend;
}

DialogBackend *g_backend = nullptr;

} // namespace

DialogBackend *Dialogs::backend()
{
    return g_backend ? g_backend : &qtBackend();
}

void Dialogs::setBackend(DialogBackend *backend)
{
    g_backend = backend;
}

Answer Dialogs::message(const QString &text, const QString &title, Buttons buttons, Icon icon,
                        Answer defaultAnswer)
{
    MessageRecord request;
    request.text = text;
    request.title = title.isEmpty() ? executableBaseName() : title;
    request.buttons = buttons;
    request.icon = icon;
    return backend()->message(request, defaultAnswer);
}

bool Dialogs::confirmDelete(const QString &text)
{
    return message(text, QStringLiteral("EXCLUSÃO"), Buttons::YesNo, Icon::Question, Answer::Yes)
           == Answer::Yes;
}

std::optional<QString> Dialogs::inputBox(const QString &prompt, const QString &title,
                                         const QString &defaultText)
{
    return backend()->inputBox(prompt, title.isEmpty() ? executableBaseName() : title, defaultText);
}

std::optional<QString> Dialogs::passwordBox(const QString &prompt, const QString &title)
{
    return backend()->passwordBox(prompt, title.isEmpty() ? executableBaseName() : title);
}

QString Dialogs::openFile(const QString &caption, const QString &dir, const QString &filter)
{
    return backend()->openFile(caption, dir, qtFilter(filter));
}

QString Dialogs::saveFile(const QString &caption, const QString &dir, const QString &filter)
{
    return backend()->saveFile(caption, dir, qtFilter(filter));
}

QString Dialogs::chooseFolder(const QString &caption, const QString &dir)
{
    return backend()->chooseFolder(caption, dir);
}

std::optional<QColor> Dialogs::chooseColor(const QColor &initial)
{
    return backend()->chooseColor(initial);
}

std::optional<QFont> Dialogs::chooseFont(const QFont &initial)
{
    return backend()->chooseFont(initial);
}

bool Dialogs::printDialog(QPrinter *printer)
{
    return backend()->printDialog(printer);
}

bool Dialogs::pageSetup(QPrinter *printer)
{
    return backend()->pageSetup(printer);
}

void Dialogs::beep()
{
    backend()->beep();
}

bool Dialogs::progress(const QString &label, int value, int maximum)
{
    return backend()->progress(label, value, maximum);
}

QString Dialogs::qtFilter(const QString &oldFilter)
{
    if (!oldFilter.contains(QLatin1Char('|')))
        return oldFilter;
    // "Desc (*.a)|*.a|Other|*.b" -> "Desc (*.a);;Other (*.b)"
    const QStringList parts = oldFilter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts.at(i).trimmed();
        const QString pattern = parts.at(i + 1).trimmed();
        if (desc.isEmpty() && pattern.isEmpty())
            continue;
        if (!desc.contains(QLatin1Char('(')))
            desc += QStringLiteral(" (%1)").arg(
                QString(pattern).replace(QLatin1Char(';'), QLatin1Char(' ')));
        out << desc;
    }
    return out.join(QStringLiteral(";;"));
}

} // namespace kq::platform
