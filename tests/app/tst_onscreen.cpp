#include "collection/screens.h"
#include "cube/screens.h"
#include "platform/dialogs.h"
#include "platform/report/reportengine.h"
#include "platform/screenregistry.h"
#include "queries/screens.h"
#include "registers/screens.h"
#include "shell/fprincipal.h"
#include "support/shell_fixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using kq::platform::ScreenRegistry;

// Every screen and dialog opens wholly inside the available area of the
// screen, centred on the main window or on the window that opened it. The
// screen is chosen by KQ_SCREEN ("WIDTHxHEIGHT" or "WIDTHxHEIGHT@SCALE"),
// see main() below and tests/CMakeLists.txt.
class tst_onscreen : public QObject
{
    Q_OBJECT

    kq::test::ShellFixture *m_fx = nullptr;

    static QRect available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    static QString describe(const QRect &r)
    {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }

    // Inside the area, and centred on `on` unless pushed against an edge.
    static void checkPlaced(QWidget *w, QWidget *on)
    {
        QVERIFY(w && w->isVisible());
        const QRect frame = w->frameGeometry();
        const QRect area = available();
        QVERIFY2(area.contains(frame), qPrintable(w->objectName() + ": " + describe(frame)
                                                  + " outside " + describe(area)));
        if (!on)
            return;
        const QPoint d = frame.center() - on->frameGeometry().center();
        const bool atX = frame.left() == area.left() || frame.right() == area.right();
        const bool atY = frame.top() == area.top() || frame.bottom() == area.bottom();
        QVERIFY2((qAbs(d.x()) <= 1 || atX) && (qAbs(d.y()) <= 1 || atY),
                 qPrintable(w->objectName() + ": " + describe(frame) + " not centred on "
                            + on->objectName() + " " + describe(on->frameGeometry())));
    }

    QWidget *activeScreen(const QString &name)
    {
        QWidget *w = ScreenRegistry::instance().show(name);
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w))
            return nullptr;
        return w;
    }

private slots:
    void initTestCase()
    {
        kq::collection::registerScreens();
        kq::registers::registerScreens();
        kq::queries::registerScreens();
        kq::cube::registerScreens();
    }
    void init()
    {
        m_fx = new kq::test::ShellFixture;
        m_fx->main->show();
        m_fx->main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_fx->main));
    }
    void cleanup()
    {
        delete m_fx;
        m_fx = nullptr;
    }

    void mainWindowIsOnScreen()
    {
        // The screen asked for, in the device-independent pixels Qt works in.
        const QList<QByteArray> spec = qgetenv("KQ_SCREEN").split('@');
        if (spec.size() == 2) {
            const QList<QByteArray> size = spec.first().split('x');
            const double scale = spec.last().toDouble();
            QCOMPARE(available().size(), QSize(qRound(size.first().toInt() / scale),
                                               qRound(size.last().toInt() / scale)));
        }
        checkPlaced(m_fx->main, nullptr);
    }

    void menuScreens_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("item");
        for (int g = 1; g <= 6; ++g)
            for (int i = 1; i <= 8; ++i)
                if (!kq::shell::menuTarget(g, i).isEmpty())
                    QTest::newRow(qPrintable(kq::shell::menuTarget(g, i))) << g << i;
    }
    void menuScreens()
    {
        QFETCH(int, group);
        QFETCH(int, item);
        const QString name = m_fx->main->ButtonBar1_ItemClick(group, item);
        checkPlaced(ScreenRegistry::instance().find(name), m_fx->main);
    }

    // Dialogs centre on the window that opened them, wherever it stands.
    void dialogs_data()
    {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QString>("dialog");
        QTest::newRow("exit") << "fprincipal"
                              << "fsair";
        QTest::newRow("write-off") << "fbaixar"
                                   << "fbaixa";
        QTest::newRow("cube password") << "fcubovendas"
                                       << "PasswordForm";
    }
    void dialogs()
    {
        QFETCH(QString, opener);
        QFETCH(QString, dialog);
        QWidget *from = activeScreen(opener);
        QVERIFY(from);
        from->move(available().topLeft()); // off the main window's centre
        QWidget *w = ScreenRegistry::instance().show(dialog);
        checkPlaced(w, from);
    }

    // A report's window (not a screen of its own) is placed the same way.
    void reportWindow()
    {
        kq::platform::ReportEngine engine;
        engine.setDataFiles(0, m_fx->devolvidos());
        engine.setReportFileName(m_fx->folders.dataFile("1_Cheques por Data de Deposito.rpt"));
        QVERIFY(engine.run());
        checkPlaced(engine.preview(), m_fx->main);
        engine.preview()->close();
    }

    void messageBox()
    {
        QWidget *from = activeScreen("fbaixar");
        QVERIFY(from);
        from->move(available().topLeft());
        kq::platform::Dialogs::setBackend(nullptr);
        QRect shown;
        QWidget *parent = nullptr;
        QTimer::singleShot(0, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                shown = box->frameGeometry();
                parent = box->parentWidget();
                box->accept();
            }
        });
        kq::platform::Dialogs::message(QStringLiteral("Total: R$ 1.234,56"));
        kq::platform::Dialogs::setBackend(&m_fx->dialogs);
        QCOMPARE(parent, from);
        QVERIFY2(available().contains(shown), qPrintable(describe(shown)));
        // Qt centres a box on its parent, pushed inside the screen.
        const QPoint d = shown.center() - from->frameGeometry().center();
        QVERIFY2(qAbs(d.x()) <= 1 || shown.left() == available().left(),
                 qPrintable(describe(shown)));
    }
};

int main(int argc, char **argv)
{
    QByteArray spec = qgetenv("KQ_SCREEN");
    if (spec.isEmpty())
        spec = "1024x768";
    const QList<QByteArray> parts = spec.split('@');
    const QList<QByteArray> size = parts.first().split('x');
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("screens.json")));
    if (size.size() != 2 || !config.open(QIODevice::WriteOnly))
        return 2;
    config.write("{\"screens\": [{\"name\": \"tela\", \"x\": 0, \"y\": 0, \"width\": " + size.at(0)
                 + ", \"height\": " + size.at(1)
                 + ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}");
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toUtf8());
    if (parts.size() > 1)
        qputenv("QT_SCALE_FACTOR", parts.at(1));
    QApplication app(argc, argv);
    tst_onscreen test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_onscreen.moc"
