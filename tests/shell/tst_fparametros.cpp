#include "data/database.h"
#include "platform/maskedbox.h"
#include "platform/screenregistry.h"
#include "shell/fparametros.h"
#include "shell/services/procedures.h"
#include "support/base_screens.h"
#include "support/shell_fixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTabWidget>
#include <QtTest>

using kq::platform::ScreenRegistry;
using kq::shell::fparametros;

namespace {

const QString kSaved = QStringLiteral("Dados Atualizados com sucesso!!");

fparametros *open()
{
    return qobject_cast<fparametros *>(ScreenRegistry::instance().show("fparametros"));
}

QVariant stored(const kq::test::ShellFixture &f, const QString &field)
{
    return kq::data::scalar(f.devolvidos(), "SELECT " + field + " FROM parametros");
}

} // namespace

class tst_fparametros : public QObject
{
    Q_OBJECT

private slots:
    void savesAndShowsAgain()
    {
        kq::test::ShellFixture f;
        fparametros *p = open();
        QVERIFY(p);
        QCOMPARE(p->windowTitle(), QStringLiteral("Parametros"));
        QCOMPARE(p->SSTab1->tabText(0), QStringLiteral("Dados Empresa"));
        const QList<QPair<QString, QLineEdit *>> boxes
            = {{"ds_empresa", p->ds_empresa},   {"ds_endereco", p->ds_endereco},
               {"ds_bairro", p->ds_bairro},     {"ds_cidade", p->ds_cidade},
               {"ds_estado", p->ds_estado},     {"cd_cep", p->cd_cep},
               {"NR_TELEFONE", p->nr_telefone}, {"ds_cabecalho", p->ds_cabecalho},
               {"ds_prazo", p->ds_prazo},       {"ds_forma", p->ds_forma}};
        for (const auto &[field, box] : boxes)
            QCOMPARE(box->text(), QString());
        QCOMPARE(p->permiteacordo->text(), QStringLiteral("___.___.___.___.___.___.___.___"));

        p->ds_empresa->setText(QStringLiteral("Cobrança Ágil Ltda"));
        p->ds_endereco->setText(QStringLiteral("Rua Sete, 10"));
        p->ds_bairro->setText(QStringLiteral("Centro"));
        p->ds_cidade->setText(QStringLiteral("São Paulo"));
        QTest::keyClicks(p->ds_estado, QStringLiteral("SPX"));
        QTest::keyClicks(p->cd_cep, QStringLiteral("01001-000123"));
        p->nr_telefone->setText(QStringLiteral("(11) 5555-0000"));
        p->ds_cabecalho->setText(QStringLiteral("Relatório"));
        p->ds_prazo->setText(QStringLiteral("5 dias"));
        p->ds_forma->setText(QStringLiteral("Boleto"));
        p->permiteacordo->setFocus();
        p->permiteacordo->setCursorPosition(0);
        QTest::keyClicks(p->permiteacordo, QStringLiteral("001002"));
        p->resize(640, 520);
        kq::test::shot(p, QStringLiteral("fparametros"));

        p->alterar->click();
        p->alterar->click();
        QCOMPARE(f.dialogs.texts(), (QStringList{kSaved, kSaved}));
        QCOMPARE(stored(f, "ds_estado").toString(), QStringLiteral("SP"));
        QCOMPARE(stored(f, "cd_cep").toString(), QStringLiteral("01001-000"));
        QCOMPARE(stored(f, "ds_cidade").toString(), QStringLiteral("São Paulo"));
        QCOMPARE(stored(f, "permiteacordo").toString(),
                 QStringLiteral("001.002.___.___.___.___.___.___"));
        QCOMPARE(kq::data::scalar(f.devolvidos(), "SELECT count(*) FROM parametros").toInt(), 1);

        // Shown again as stored when the screen is opened anew.
        QPointer<QWidget> guard(p);
        p->Command1->click();
        QTRY_VERIFY(!guard);
        p = open();
        QCOMPARE(p->ds_empresa->text(), QStringLiteral("Cobrança Ágil Ltda"));
        QCOMPARE(p->ds_forma->text(), QStringLiteral("Boleto"));
        QCOMPARE(p->permiteacordo->text(), QStringLiteral("001.002.___.___.___.___.___.___"));
    }

    void sairDropsChanges()
    {
        kq::test::ShellFixture f;
        fparametros *p = open();
        p->ds_empresa->setText(QStringLiteral("Outra"));
        p->Command1->click();
        QCOMPARE(stored(f, "ds_empresa").toString(), QString());
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void everyOpeningIsLogged()
    {
        kq::test::ShellFixture f;
        for (int i = 0; i < 2; ++i) {
            QPointer<QWidget> p = open();
            open(); // already open: brought forward, not loaded again
            p->close();
            QTRY_VERIFY(!p);
        }
        const QString log = f.folders.readProgramFile(
            kq::shell::activityLogFileName(QStringLiteral("001"), QDate::currentDate()));
        const QString entry = QStringLiteral("-SUPERVISOR-ENTROU NO MÓDULO DE CONFIGURAÇÃO-**\r\n");
        QCOMPARE(log.count(entry), 2);
    }

    void opensAlthoughItsLogLineFails()
    {
        kq::test::ShellFixture f;
        kq::data::exec(f.devolvidos(), "UPDATE parametros SET ds_empresa = 'Escritório'");
        QVERIFY(QDir().mkpath(f.folders.programFile(
            kq::shell::activityLogFileName(QStringLiteral("001"), QDate::currentDate()))));
        fparametros *p = open();
        QVERIFY(p && p->isVisible());
        QCOMPARE(p->ds_empresa->text(), QStringLiteral("Escritório"));
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.lastText().contains(QStringLiteral("Formulário: fparametros")));
    }

    void storedTextOutsideTheMaskIsShownWithinIt()
    {
        kq::test::ShellFixture f;
        kq::data::exec(f.devolvidos(), "UPDATE parametros SET permiteacordo = ?",
                       {QStringLiteral("001.___.007")});
        fparametros *p = open();
        QCOMPARE(p->permiteacordo->text(), QStringLiteral("001.___.007.___.___.___.___.___"));
    }

    void nullFieldsShowAsEmpty()
    {
        kq::test::ShellFixture f;
        // A table made elsewhere, whose fields may be Null.
        kq::data::exec(f.devolvidos(), "DROP TABLE parametros");
        kq::data::exec(f.devolvidos(),
                       "CREATE TABLE parametros (ds_empresa TEXT, ds_endereco TEXT, "
                       "ds_bairro TEXT, ds_cidade TEXT, ds_estado TEXT, cd_cep TEXT, "
                       "NR_TELEFONE TEXT, ds_cabecalho TEXT, ds_prazo TEXT, ds_forma TEXT, "
                       "permiteacordo TEXT)");
        kq::data::exec(f.devolvidos(), "INSERT INTO parametros (ds_cidade) VALUES ('Recife')");
        fparametros *p = open();
        QCOMPARE(p->ds_cidade->text(), QStringLiteral("Recife"));
        QCOMPARE(p->ds_empresa->text(), QString());
        QCOMPARE(p->permiteacordo->text(), QStringLiteral("___.___.___.___.___.___.___.___"));
        p->alterar->click();
        QCOMPARE(f.dialogs.texts(), QStringList{kSaved});
        QCOMPARE(stored(f, "ds_empresa").toString(), QString());
    }

    void missingRowNeverFailsTheScreen()
    {
        kq::test::ShellFixture f;
        kq::data::exec(f.devolvidos(), "DELETE FROM parametros");
        fparametros *p = open();
        QVERIFY(p);
        QCOMPARE(p->ds_empresa->text(), QString());
        p->ds_empresa->setText(QStringLiteral("Nova"));
        p->alterar->click();
        QCOMPARE(f.dialogs.texts(), QStringList{kSaved});
        QCOMPARE(kq::data::scalar(f.devolvidos(), "SELECT count(*) FROM parametros").toInt(), 1);
        QCOMPARE(stored(f, "ds_empresa").toString(), QStringLiteral("Nova"));
    }
};

QTEST_MAIN(tst_fparametros)
#include "tst_fparametros.moc"
