#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <optional>

class QPrinter;

namespace kq::platform {

enum class Icon { None, Information, Warning, Critical, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

// What a message box showed; tests read these.
struct MessageRecord
{
    QString text;
    QString title;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    Answer answer = Answer::Ok;
};

// Answers the program's questions: the real Qt dialogs, or a test's script.
class DialogBackend
{
public:
    virtual ~DialogBackend() = default;
    virtual Answer message(const MessageRecord &request, Answer defaultAnswer) = 0;
    virtual std::optional<QString> inputBox(const QString &prompt, const QString &title,
                                            const QString &defaultText)
        = 0;
    // A text typed without being shown (a password); by default an input box.
    virtual std::optional<QString> passwordBox(const QString &prompt, const QString &title)
    {
        return inputBox(prompt, title, QString());
    }
    virtual QString openFile(const QString &caption, const QString &dir, const QString &filter) = 0;
    virtual QString saveFile(const QString &caption, const QString &dir, const QString &filter) = 0;
    virtual QString chooseFolder(const QString &caption, const QString &dir) = 0;
    virtual std::optional<QColor> chooseColor(const QColor &initial) = 0;
    virtual std::optional<QFont> chooseFont(const QFont &initial) = 0;
    virtual bool printDialog(QPrinter *printer) = 0;
    virtual bool pageSetup(QPrinter *printer) = 0;
    virtual void beep() = 0;
    // Each step of long work with a progress window (label, value, maximum);
    // true asks to cancel it. The real dialogs leave that to the window.
    virtual bool progress(const QString &, int, int) { return false; }
};

// The one door to every message box and dialog of the program.
class Dialogs
{
public:
    // A message box; with no title the program's own name is shown.
    static Answer message(const QString &text, const QString &title = QString(),
                          Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
                          Answer defaultAnswer = Answer::Ok);
    // The deletion question of the registers: Yes/No, question icon, "EXCLUSÃO".
    static bool confirmDelete(const QString &text);
    // Empty optional when the user cancels.
    static std::optional<QString> inputBox(const QString &prompt, const QString &title = QString(),
                                           const QString &defaultText = QString());
    // A password: what is typed is not shown; empty optional when cancelled.
    static std::optional<QString> passwordBox(const QString &prompt,
                                              const QString &title = QString());
    // Filters in Qt form ("Lay Out (*.lyt)"); empty text when cancelled.
    static QString openFile(const QString &caption, const QString &dir, const QString &filter);
    static QString saveFile(const QString &caption, const QString &dir, const QString &filter);
    static QString chooseFolder(const QString &caption, const QString &dir);
    static std::optional<QColor> chooseColor(const QColor &initial = Qt::white);
    static std::optional<QFont> chooseFont(const QFont &initial);
    static bool printDialog(QPrinter *printer);
    // Paper, orientation and margins of a printer; false when cancelled.
    static bool pageSetup(QPrinter *printer);
    static void beep();
    // A step of long work (see Progress); true when the work is to stop.
    static bool progress(const QString &label, int value, int maximum);

    // Converts an old-style filter "Lay Out (*.lyt)|*.lyt|" to Qt's form.
    static QString qtFilter(const QString &oldFilter);

    // Replaces the backend (tests); nullptr restores the real dialogs.
    static void setBackend(DialogBackend *backend);
    static DialogBackend *backend();
};

} // namespace kq::platform
