#include "shell/singleinstance.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using kq::shell::SingleInstance;

class tst_singleinstance : public QObject
{
    Q_OBJECT
private slots:
    void secondCopyIsRefused()
    {
        QTemporaryDir dir;
        SingleInstance first(dir.path());
        QVERIFY(first.tryAcquire());
        SingleInstance second(dir.path());
        QVERIFY(!second.tryAcquire());
        QTemporaryDir other;
        SingleInstance elsewhere(other.path());
        QVERIFY(elsewhere.tryAcquire()); // another program folder is another program
    }

    void crashedCopyDoesNotBlock()
    {
        QTemporaryDir dir;
        int ready[2];
        QVERIFY(pipe(ready) == 0);
        const pid_t child = fork();
        if (child == 0) {
            SingleInstance lock(dir.path());
            const char ok = lock.tryAcquire() ? '1' : '0';
            (void)!write(ready[1], &ok, 1);
            pause();
            _exit(0);
        }
        char ok = 0;
        QCOMPARE(read(ready[0], &ok, 1), ssize_t(1));
        QCOMPARE(ok, '1');
        {
            SingleInstance second(dir.path());
            QVERIFY(!second.tryAcquire());
        }
        kill(child, SIGKILL); // a crash: no clean-up runs
        waitpid(child, nullptr, 0);
        SingleInstance after(dir.path());
        QVERIFY(after.tryAcquire());
        close(ready[0]);
        close(ready[1]);
    }
};

QTEST_MAIN(tst_singleinstance)
#include "tst_singleinstance.moc"
