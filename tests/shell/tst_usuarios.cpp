#include "data/database.h"
#include "platform/grid/gridex.h"
#include "platform/screenregistry.h"
#include "platform/textlimit.h"
#include "shell/fusuarios.h"
#include "shell/rules/passwords.h"
#include "support/shell_fixture.h"
#include "support/shell_registers_fixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using kq::platform::ScreenRegistry;
using kq::shell::fusuarios;

namespace {

struct Users
{
    Users() { kq::test::reg::clearTable(db(), "usuarios"); }
    fusuarios *open()
    {
        auto *w = qobject_cast<fusuarios *>(ScreenRegistry::instance().show("fusuarios"));
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w))
            qWarning("window not active");
        return w;
    }
    QString db() const { return shell.devolvidos(); }
    void add(const QString &code, const QString &name, const QString &password = "x")
    {
        kq::test::reg::insertRow(db(), "usuarios", {"CD_usuario", "usuario", "senha"},
                                 {code, name, kq::shell::hashPassword(password)});
    }
    QString field(const QString &code, const QString &f) const
    {
        return kq::test::reg::fieldOf(db(), "usuarios", "CD_usuario", code, f).toString();
    }
    QStringList codes() const { return kq::test::reg::keysOf(db(), "usuarios", "CD_usuario"); }

    kq::test::ShellFixture shell;
};

} // namespace

class tst_usuarios : public QObject
{
    Q_OBJECT
private slots:
    void loadsTheScreen()
    {
        Users u;
        u.add("001", "ANA");
        fusuarios *w = u.open();
        QCOMPARE(w->windowTitle(), QString(" Tabela de Usuários "));
        QCOMPARE(kq::platform::textLimit(w->usuario), 20);
        QCOMPARE(w->senha->echoMode(), QLineEdit::Password);
        QCOMPARE(w->GridEX1->columnCount(), 2);
        QCOMPARE(w->GridEX1->textAt(0, 2), QString("ANA"));
        QCOMPARE(w->focusWidget(), w->usuario);
    }

    void codes_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("deleted");
        QTest::addColumn<QString>("next");
        QTest::newRow("empty") << QStringList() << ""
                               << "001";
        QTest::newRow("after 004") << QStringList{"001", "002", "003", "004"} << ""
                                   << "005";
        QTest::newRow("003 deleted") << QStringList{"001", "002", "003", "004"} << "003"
                                     << "005";
        QTest::newRow("highest deleted") << QStringList{"001", "002", "003", "004"} << "004"
                                         << "004";
    }
    void codes()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, deleted);
        QFETCH(QString, next);
        Users u;
        for (const QString &c : existing)
            u.add(c, "U" + c);
        fusuarios *w = u.open();
        if (!deleted.isEmpty()) {
            QVERIFY(kq::test::reg::chooseRow(w->GridEX1, 1, deleted));
            u.shell.dialogs.answers.enqueue(kq::platform::Answer::Yes);
            w->EXCLUIR->click();
            QCOMPARE(u.shell.dialogs.lastText(),
                     "Deseja Realmente excluir esse registro? :U" + deleted);
        }
        w->cd_usuario->setText("900");
        w->usuario->setText("NOVO");
        w->senha->setText("s3nha");
        w->CONFIRMA->click();
        QVERIFY(u.codes().contains(next));
        QCOMPARE(u.field(next, "usuario"), QString("NOVO"));
        QVERIFY(!u.codes().contains("900"));
    }

    void passwordIsKeptAsAHash()
    {
        Users u;
        fusuarios *w = u.open();
        w->usuario->setText("ANA");
        w->senha->setText("Abc 1");
        w->CONFIRMA->click();
        const QString stored = u.field("001", "senha");
        QVERIFY(stored != "Abc 1");
        QVERIFY(kq::shell::verifyPassword("Abc 1", stored));

        // A chosen row never shows the password; alter with the box empty
        // keeps it.
        QVERIFY(kq::test::reg::chooseRow(w->GridEX1, 1, "001"));
        QCOMPARE(w->usuario->text(), QString("ANA"));
        QVERIFY(w->senha->text().isEmpty());
        w->usuario->setText("ANA MARIA");
        w->alterar->click();
        QCOMPARE(u.field("001", "usuario"), QString("ANA MARIA"));
        QCOMPARE(u.field("001", "senha"), stored);

        // The row is still the current one: its code is typed instead.
        w->cd_usuario->setText("001");
        w->senha->setText("nova");
        w->alterar->click();
        QVERIFY(kq::shell::verifyPassword("nova", u.field("001", "senha")));
        QVERIFY(!kq::shell::verifyPassword("Abc 1", u.field("001", "senha")));
    }

    void emptyBoxesAreStoredAsTheyAre()
    {
        Users u;
        fusuarios *w = u.open();
        w->CONFIRMA->click();
        QCOMPARE(u.codes(), QStringList{"001"});
        QCOMPARE(u.field("001", "usuario"), QString(""));
        QVERIFY(kq::shell::verifyPassword("", u.field("001", "senha")));
    }

    void deleteAnsweredNoKeepsTheUser()
    {
        Users u;
        u.add("001", "ANA");
        fusuarios *w = u.open();
        QVERIFY(kq::test::reg::chooseRow(w->GridEX1, 1, "001"));
        u.shell.dialogs.answers.enqueue(kq::platform::Answer::No);
        w->EXCLUIR->click();
        QCOMPARE(u.shell.dialogs.lastText(),
                 QString("Deseja Realmente excluir esse registro? :ANA"));
        QCOMPARE(u.codes(), QStringList{"001"});
        QVERIFY(w->usuario->text().isEmpty());
        QVERIFY(w->cd_usuario->text().isEmpty());
    }

    void keys()
    {
        Users u;
        fusuarios *w = u.open();
        w->usuario->setFocus();
        QTest::keyClick(w->usuario, Qt::Key_Return);
        QCOMPARE(w->focusWidget(), w->senha);
        w->usuario->setText("NÃO GRAVA");
        QPointer<QWidget> guard(w);
        QTest::keyClick(w->senha, Qt::Key_Escape);
        QTRY_VERIFY(!guard);
        QVERIFY(u.codes().isEmpty());
    }
};

QTEST_MAIN(tst_usuarios)
#include "tst_usuarios.moc"
