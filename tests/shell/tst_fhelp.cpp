#include "data/database.h"
#include "data/datafolder.h"
#include "platform/buttonbar.h"
#include "platform/screenregistry.h"
#include "shell/fhelp.h"
#include "support/base_screens.h"
#include "support/shell_fixture.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

using kq::platform::ScreenRegistry;
using kq::shell::fhelp;

namespace {

QString helpDb(const kq::test::ShellFixture &f)
{
    return f.folders.dataFile(kq::data::kHelp);
}

QStringList rows(const kq::test::ShellFixture &f)
{
    QStringList out;
    QSqlQuery q = kq::data::exec(helpDb(f), "SELECT cd_modulo, ds_help FROM help "
                                            "ORDER BY cd_modulo");
    while (q.next())
        out << q.value(0).toString() + "=" + q.value(1).toString();
    return out;
}

} // namespace

class tst_fhelp : public QObject
{
    Q_OBJECT

private slots:
    void keys()
    {
        QCOMPARE(kq::shell::chaveModulo(1, 1), QStringLiteral("1-1"));
        QCOMPARE(kq::shell::chaveModulo(1, 2), QStringLiteral("1-2"));
        QCOMPARE(kq::shell::chaveModulo(2, 10), QStringLiteral("2-10"));
    }

    void editsOneTextPerOption()
    {
        kq::test::ShellFixture f;
        auto *h = qobject_cast<fhelp *>(ScreenRegistry::instance().show("fhelp"));
        QVERIFY(h);
        QCOMPARE(h->windowTitle(), QStringLiteral("Help do Sistema"));
        QCOMPARE(h->ButtonBar1->groupCaption(1), QStringLiteral("Módulos"));
        QCOMPARE(h->ButtonBar1->itemCount(1), 2);
        QVERIFY(!h->Command2->isEnabled());

        h->ButtonBar1->clickItem(1, 1);
        QCOMPARE(h->modulo->text(), QStringLiteral("1-1"));
        h->ajuda->setPlainText(QStringLiteral("Cadastro de parceiros"));
        h->Command2->click();
        h->Command2->click();

        // An option without a text starts empty: nothing of 1-1 goes under 1-2.
        h->ButtonBar1->clickItem(1, 2);
        QCOMPARE(h->modulo->text(), QStringLiteral("1-2"));
        QCOMPARE(h->ajuda->toPlainText(), QString());
        h->Command2->click();
        h->ajuda->setPlainText(QStringLiteral("Usuários do sistema"));
        h->Command2->click();

        h->ButtonBar1->clickItem(1, 1);
        QCOMPARE(h->ajuda->toPlainText(), QStringLiteral("Cadastro de parceiros"));
        h->resize(600, 400);
        kq::test::shot(h, QStringLiteral("fhelp"));
        QCOMPARE(rows(f), (QStringList{"1-1=Cadastro de parceiros", "1-2=Usuários do sistema"}));
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void nullTextShowsEmpty()
    {
        kq::test::ShellFixture f;
        kq::data::exec(helpDb(f), "INSERT INTO help (cd_modulo, ds_help) VALUES ('1-2', NULL)");
        auto *h = qobject_cast<fhelp *>(ScreenRegistry::instance().show("fhelp"));
        h->ajuda->setPlainText(QStringLiteral("rascunho"));
        h->ButtonBar1->clickItem(1, 2);
        QCOMPARE(h->ajuda->toPlainText(), QString());
    }

    void missingDatabaseIsReported()
    {
        kq::test::ShellFixture f;
        kq::data::closeAllDatabases();
        QVERIFY(QFile::remove(helpDb(f)));
        auto *h = qobject_cast<fhelp *>(ScreenRegistry::instance().show("fhelp"));
        QVERIFY(h);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.lastText().contains("help.mdb"));
        QVERIFY(!h->ButtonBar1->isEnabled());
        QVERIFY(!QFile::exists(helpDb(f)));
    }
};

QTEST_MAIN(tst_fhelp)
#include "tst_fhelp.moc"
