#include "core/errorinfo.h"
#include "platform/screen.h"
#include "support/base_dialogs.h"

#include <QPointer>
#include <QPushButton>
#include <QTest>

using kq::platform::RuntimeError;
using kq::platform::Screen;

namespace {

struct Report
{
    QString screen;
    int number;
};
QList<Report> g_reports;

void recordReport(const QString &screen)
{
    g_reports.append({screen, kq::platform::currentErrorInfo().number});
}

} // namespace

class Sender : public QObject
{
    Q_OBJECT
signals:
    void two(int n, const QString &text);
};

class Probe : public Screen
{
    Q_OBJECT
public:
    Probe()
        : Screen(QStringLiteral("fteste"))
    {
        button = new QPushButton(this);
    }
    void fail() { throw RuntimeError(13, QStringLiteral("Tipos incompatíveis")); }
    void takeNumber(int n) { got.append(QString::number(n)); }
    void takeBoth(int n, const QString &text) { got.append(QString::number(n) + text); }

    QPushButton *button = nullptr;
    QStringList got;
};

class tst_trappedconnect : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        g_reports.clear();
        kq::platform::setTrapReporter(recordReport);
    }
    void cleanup() { kq::platform::setTrapReporter(nullptr); }

    void failureIsReportedAsTheScreensAndTheScreenGoesOn()
    {
        Probe screen;
        int later = 0;
        screen.connectTrapped(screen.button, &QPushButton::clicked, &Probe::fail);
        screen.connectTrapped(screen.button, &QPushButton::clicked, [&later] { ++later; });
        screen.button->click();
        screen.button->click();
        QCOMPARE(g_reports.size(), 2);
        QCOMPARE(g_reports.first().screen, QStringLiteral("fteste"));
        QCOMPARE(g_reports.first().number, 13);
        // The other handlers of the signal still run.
        QCOMPARE(later, 2);
    }

    void handlerTakesTheLeadingArguments()
    {
        Probe screen;
        Sender sender;
        screen.connectTrapped(&sender, &Sender::two, &Probe::takeBoth);
        screen.connectTrapped(&sender, &Sender::two, &Probe::takeNumber);
        screen.connectTrapped(&sender, &Sender::two,
                              [&screen](int n) { screen.got.append(QString::number(-n)); });
        screen.connectTrapped(&sender, &Sender::two, [&screen] { screen.got.append("-"); });
        emit sender.two(7, QStringLiteral("x"));
        QCOMPARE(screen.got, (QStringList{"7x", "7", "-7", "-"}));
        QVERIFY(g_reports.isEmpty());
    }

    void connectionEndsWithTheScreen()
    {
        Sender sender;
        auto *screen = new Probe;
        QPointer<Probe> alive(screen);
        screen->connectTrapped(&sender, &Sender::two, &Probe::takeNumber);
        delete screen;
        emit sender.two(1, QString());
        QVERIFY(!alive);
        QVERIFY(g_reports.isEmpty());
    }

    void withoutTheProgramsReportTheDescriptionIsShown()
    {
        kq::platform::setTrapReporter(nullptr);
        kq::test::ScriptedDialogs dialogs;
        Probe screen;
        screen.connectTrapped(screen.button, &QPushButton::clicked, &Probe::fail);
        screen.button->click();
        QCOMPARE(dialogs.texts(), QStringList{"Tipos incompatíveis"});
    }
};

QTEST_MAIN(tst_trappedconnect)
#include "tst_trappedconnect.moc"
