#include "core/paths.h"
#include "platform/screenregistry.h"
#include "shell/fsair.h"
#include "shell/services/procedures.h"
#include "support/base_screens.h"
#include "support/shell_fixture.h"

#include <QPushButton>
#include <QtTest>

using kq::platform::ScreenRegistry;

namespace {

const QString kLogOff = QStringLiteral("************EFETUOU LOG OFF NO SISTEMA************");

QString todaysLog(const kq::test::ShellFixture &f)
{
    return f.folders.readProgramFile(
        kq::shell::activityLogFileName(QStringLiteral("001"), QDate::currentDate()));
}

} // namespace

class tst_fsair : public QObject
{
    Q_OBJECT

private:
    int m_ended = 0;

private slots:
    void init()
    {
        m_ended = 0;
        kq::shell::setEncerrarProgramaHook([this] { ++m_ended; });
    }
    void cleanup() { kq::shell::setEncerrarProgramaHook({}); }

    void okLogsOffAndEnds()
    {
        kq::test::ShellFixture f;
        auto *sair = qobject_cast<kq::shell::fsair *>(ScreenRegistry::instance().show("fsair"));
        QVERIFY(sair);
        QCOMPARE(sair->windowTitle(), QStringLiteral("Sair do Sistema"));
        kq::test::shot(sair, QStringLiteral("fsair"));
        sair->cmdOK->click();
        QCOMPARE(m_ended, 1);
        const QStringList lines = todaysLog(f).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(
            lines.at(0).endsWith(QStringLiteral("-SUPERVISOR-") + kLogOff + QStringLiteral("-**")),
            qPrintable(lines.at(0)));
        QCOMPARE(lines.at(1), QString(113, QLatin1Char('-')));
    }

    // A log that cannot be written never keeps the program open: the failure
    // goes to the error log, no question is asked.
    void okEndsAlthoughTheLogFails()
    {
        kq::test::ShellFixture f;
        const QString log = f.folders.programFile(
            kq::shell::activityLogFileName(QStringLiteral("001"), QDate::currentDate()));
        QVERIFY(QDir().mkpath(log)); // a folder where the file should be
        auto *sair = qobject_cast<kq::shell::fsair *>(ScreenRegistry::instance().show("fsair"));
        sair->cmdOK->click();
        QCOMPARE(m_ended, 1);
        QVERIFY(f.dialogs.messages.isEmpty());
        const QString errors = f.folders.readProgramFile(kq::shell::errorLogFileName());
        QVERIFY2(errors.contains(QStringLiteral("Formulário: fsair")), qPrintable(errors));
        QVERIFY(errors.contains(log));
    }

    void endingRequestsExitWithoutClosingWindows()
    {
        kq::shell::setEncerrarProgramaHook({});
        QWidget other;
        other.show();
        // exit() with no loop running only records the request; the window stays.
        QTimer::singleShot(0, [] { kq::shell::EncerrarPrograma(); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(other.isVisible());
    }

    void returnKeysAndButtonWriteNothing_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Retornar") << 0;
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
    }

    void returnKeysAndButtonWriteNothing()
    {
        QFETCH(int, key);
        kq::test::ShellFixture f;
        QPointer<QWidget> sair = ScreenRegistry::instance().show("fsair");
        auto *screen = qobject_cast<kq::shell::fsair *>(sair.data());
        if (key == 0) {
            screen->Command1->click();
        } else {
            screen->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(screen));
            screen->cmdOK->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        }
        QTRY_VERIFY(!sair);
        QCOMPARE(m_ended, 0);
        QCOMPARE(todaysLog(f), QString());
        QVERIFY(!ScreenRegistry::instance().find("fsair"));
    }
};

QTEST_MAIN(tst_fsair)
#include "tst_fsair.moc"
