// The progress window of long work: shown only when the work lasts, with
// "Cancelar", and cancelled from the window or from a test's script.

#include "platform/progress.h"
#include "support/base_dialogs.h"
#include "support/base_screens.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QtTest>

using kq::platform::Progress;

namespace {

QProgressDialog *shownDialog()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *d = qobject_cast<QProgressDialog *>(w);
        if (d && d->isVisible())
            return d;
    }
    return nullptr;
}

// Runs `steps` steps of `stepMs` each; returns the step at which setValue
// said stop (-1 when it never did).
int work(Progress &progress, int steps, int stepMs, const std::function<void(int)> &during = {})
{
    for (int i = 1; i <= steps; ++i) {
        QTest::qSleep(stepMs);
        if (during)
            during(i);
        if (!progress.setValue(i))
            return i;
    }
    return -1;
}

} // namespace

class tst_progress : public QObject
{
    Q_OBJECT

private slots:
    void shortWorkShowsNoWindow()
    {
        kq::test::ScriptedDialogs dialogs;
        Progress progress(QStringLiteral("Trabalhando..."), 10);
        QCOMPARE(work(progress, 10, 5), -1);
        QVERIFY(!shownDialog());
        QCOMPARE(dialogs.progressLabels, QStringList{QStringLiteral("Trabalhando...")});
    }

    void longWorkShowsTheWindowAndItsCancelStops()
    {
        kq::test::ScriptedDialogs dialogs;
        Progress progress(QStringLiteral("Gravando..."), 100);
        QProgressDialog *seen = nullptr;
        const int stopped = work(progress, 100, 20, [&](int) {
            if (!seen && (seen = shownDialog())) {
                auto *cancel = seen->findChild<QPushButton *>();
                QVERIFY(cancel);
                QCOMPARE(cancel->text(), QStringLiteral("Cancelar"));
                QCOMPARE(seen->labelText(), QStringLiteral("Gravando..."));
                kq::test::shot(seen, "progresso");
                cancel->click();
            }
        });
        QVERIFY(seen);
        QVERIFY2(stopped > 0 && stopped < 100, qPrintable(QString::number(stopped)));
        QVERIFY(progress.wasCanceled());
        QVERIFY(!progress.setValue(stopped + 1));
    }

    void scriptedCancel()
    {
        kq::test::ScriptedDialogs dialogs;
        dialogs.cancelProgressAt = 3;
        Progress progress(QStringLiteral("Lendo..."), 10);
        QCOMPARE(work(progress, 10, 0), 3);
        QVERIFY(progress.wasCanceled());
    }
};

QTEST_MAIN(tst_progress)
#include "tst_progress.moc"
