#pragma once

// Shared set-up of the benchmark programs that drive screens.

#include "data/database.h"
#include "data/datafolder.h"
#include "platform/dialogs.h"
#include "core/paths.h"
#include "platform/screenregistry.h"
#include "shell/services/appstate.h"
#include "shell/fprincipal.h"
#include "shell/screens.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace kq::bench {

// Answers every message with its default and counts them (optionally printing them).
class QuietDialogs : public kq::platform::DialogBackend
{
public:
    int messages = 0;
    QString last;
    bool echo = false;
    kq::platform::Answer message(const kq::platform::MessageRecord &r,
                                 kq::platform::Answer answer) override
    {
        ++messages;
        last = r.text;
        if (echo)
            std::printf("  message: %s\n", qPrintable(r.text));
        return answer;
    }
    std::optional<QString> inputBox(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    QString openFile(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFile(const QString &, const QString &, const QString &) override { return {}; }
    QString chooseFolder(const QString &, const QString &) override { return {}; }
    std::optional<QColor> chooseColor(const QColor &) override { return std::nullopt; }
    std::optional<QFont> chooseFont(const QFont &) override { return std::nullopt; }
    bool printDialog(QPrinter *) override { return false; }
    bool pageSetup(QPrinter *) override { return false; }
    void beep() override {}
};

// A temporary program folder with a ready data folder and sys.ini, quiet
// dialogs, the main window loaded and a user logged in.
class BenchOffice
{
public:
    BenchOffice()
    {
        const QString data = m_dir.path() + "/dados";
        kq::platform::setProgramFolder(m_dir.path());
        kq::data::prepareDataFolder(data);
        QFile ini(m_dir.path() + "/sys.ini");
        if (ini.open(QIODevice::WriteOnly))
            ini.write((data + "\r\n").toUtf8());
        ini.close();
        devolvidos = kq::data::dataFile(data, kq::data::kDevolvidos);
        kq::platform::Dialogs::setBackend(&dialogs);
        kq::shell::registerScreens();
    }
    ~BenchOffice()
    {
        kq::platform::ScreenRegistry::instance().unloadAll();
        kq::platform::Dialogs::setBackend(nullptr);
        kq::data::closeAllDatabases();
    }
    // Loads the main window and logs the supervisor in (after the screens are registered).
    void logIn()
    {
        kq::shell::mainWindow();
        kq::shell::setUsuarioLogado("SUPERVISOR", "001");
    }

    QString devolvidos;
    QuietDialogs dialogs;

private:
    QTemporaryDir m_dir;
};

} // namespace kq::bench
