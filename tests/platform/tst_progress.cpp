#include "platform/progress.h"
#include "support/base_progress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QThread>

using kq::platform::Progress;

namespace {

QProgressDialog *progressWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *d = qobject_cast<QProgressDialog *>(w); d && d->isVisible())
            return d;
    }
    return nullptr;
}

} // namespace

class tst_progress : public QObject
{
    Q_OBJECT
private slots:
    // Short work shows nothing; work that lasts shows the label, the bar and
    // "Cancelar", and the window goes with the work.
    void windowOnlyForLongWork()
    {
        {
            Progress quick(QStringLiteral("Montando o cubo..."));
            QVERIFY(quick.step(1, 10));
            QVERIFY(!progressWindow());
        }
        {
            Progress slow(QStringLiteral("Exportando o cubo..."));
            QVERIFY(slow.step(1, 4));
            QThread::msleep(600);
            QVERIFY(slow.step(2, 4));
            QProgressDialog *window = progressWindow();
            QVERIFY(window);
            QCOMPARE(window->labelText(), QStringLiteral("Exportando o cubo..."));
            QCOMPARE(window->value(), 500);
            const auto buttons = window->findChildren<QPushButton *>();
            QCOMPARE(buttons.size(), 1);
            QCOMPARE(buttons.first()->text(), QStringLiteral("Cancelar"));
        }
        QVERIFY(!progressWindow());
    }

    // Cancel in the window stops the work at its next step, and for good.
    void cancelInTheWindow()
    {
        Progress work(QStringLiteral("Abrindo o arquivo do cubo..."));
        QThread::msleep(600);
        QVERIFY(work.step(1));
        QProgressDialog *window = progressWindow();
        QVERIFY(window);
        QTest::mouseClick(window->findChild<QPushButton *>(), Qt::LeftButton);
        QVERIFY(!work.step(2));
        QVERIFY(work.cancelled());
        QVERIFY(!work.step(3));
    }

    // A test's backend sees every step, without waiting, and may cancel.
    void scriptedBackend()
    {
        kq::test::ScriptedProgress scripted;
        scripted.cancelAt = 3;
        Progress work(QStringLiteral("Montando o cubo..."));
        const auto step = work.callback();
        QVERIFY(step(1, 0));
        QVERIFY(step(2, 0));
        QVERIFY(!step(3, 0));
        QVERIFY(!step(4, 0)); // cancelled stays cancelled, the backend is not asked again
        QCOMPARE(scripted.steps.size(), 3);
        QCOMPARE(scripted.steps.at(1).label, QStringLiteral("Montando o cubo..."));
        QVERIFY(!progressWindow());
    }
};

QTEST_MAIN(tst_progress)
#include "tst_progress.moc"
