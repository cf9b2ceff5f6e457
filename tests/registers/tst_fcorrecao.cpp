#include "data/database.h"
#include "platform/grid/gridex.h"
#include "platform/maskedbox.h"
#include "platform/screenregistry.h"
#include "registers/fcorrecao.h"
#include "registers/screens.h"
#include "support/shell_fixture.h"
#include "support/shell_registers_fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using kq::platform::ScreenRegistry;
using kq::registers::fcorrecao;

namespace {

struct Factors
{
    Factors()
    {
        static bool registered = false;
        if (!registered) {
            kq::registers::registerScreens();
            registered = true;
        }
        kq::test::reg::clearTable(db(), "correcao");
    }
    fcorrecao *open()
    {
        auto *w = qobject_cast<fcorrecao *>(ScreenRegistry::instance().show("fcorrecao"));
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w))
            qWarning("window not active");
        return w;
    }
    QString db() const { return shell.devolvidos(); }
    void add(const QString &ref, double fator, const QString &ano)
    {
        kq::test::reg::insertRow(db(), "correcao", {"cd_ref", "fator", "ano"}, {ref, fator, ano});
    }
    QVariant field(const QString &ref, const QString &f) const
    {
        return kq::test::reg::fieldOf(db(), "correcao", "cd_ref", ref, f);
    }
    // Types a month as the user does, digit by digit.
    static void typeMonth(fcorrecao *w, const QString &digits)
    {
        w->cd_ref->setFocus();
        w->cd_ref->home(false);
        QTest::keyClicks(w->cd_ref, digits);
    }

    kq::test::ShellFixture shell;
};

} // namespace

class tst_fcorrecao : public QObject
{
    Q_OBJECT
private slots:
    void includeStoresTheTypedMonth()
    {
        Factors f;
        fcorrecao *w = f.open();
        QCOMPARE(w->windowTitle(), QString("Tabela de Correção monetária"));
        QCOMPARE(w->cd_ref->mask(), QString("####/##"));
        Factors::typeMonth(w, "200503");
        QCOMPARE(w->cd_ref->text(), QString("2005/03"));
        w->fator->setText("1,2345");
        w->CONFIRMA->click();
        QCOMPARE(f.field("2005/03", "fator").toDouble(), 1.2345);
        QCOMPARE(f.field("2005/03", "ano").toString(), QString("2005"));
        QCOMPARE(w->cd_ref->text(), QString("____/__"));
        QVERIFY(w->fator->text().isEmpty());
        QCOMPARE(w->focusWidget(), w->fator);
        QVERIFY(f.shell.dialogs.messages.isEmpty());
    }

    void monthAlreadyThereIsLeftAlone()
    {
        Factors f;
        f.add("2005/03", 1.5, "2005");
        fcorrecao *w = f.open();
        Factors::typeMonth(w, "200503");
        w->fator->setText("9");
        w->CONFIRMA->click();
        QCOMPARE(f.field("2005/03", "fator").toDouble(), 1.5);
        QCOMPARE(kq::test::reg::rowCount(f.db(), "correcao"), 1);
        QVERIFY(f.shell.dialogs.messages.isEmpty());
        QVERIFY(w->fator->text().isEmpty());
    }

    void factorThatIsNotANumberIsRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("letters") << "abc";
        QTest::newRow("empty") << "";
        QTest::newRow("two commas") << "1,2,3";
    }
    void factorThatIsNotANumberIsRefused()
    {
        QFETCH(QString, text);
        Factors f;
        f.add("2005/02", 1.1, "2005");
        fcorrecao *w = f.open();
        Factors::typeMonth(w, "200503");
        w->fator->setText(text);
        w->CONFIRMA->click();
        QCOMPARE(f.shell.dialogs.messages.size(), 1);
        QVERIFY(f.shell.dialogs.lastText().startsWith("Erro No.13"));
        QVERIFY(f.shell.dialogs.lastText().contains("Procedure: Tabela de Correção monetária"));
        QCOMPARE(kq::test::reg::rowCount(f.db(), "correcao"), 1);
        // The boxes keep what was typed, for the user to correct the factor.
        QCOMPARE(w->cd_ref->text(), QString("2005/03"));
        QCOMPARE(w->fator->text(), text);

        // Alter refuses it too and keeps the stored factor.
        f.shell.dialogs.clear();
        Factors::typeMonth(w, "200502");
        w->fator->setText(text);
        w->alterar->click();
        QCOMPARE(f.shell.dialogs.messages.size(), 1);
        QCOMPARE(f.field("2005/02", "fator").toDouble(), 1.1);
        QCOMPARE(w->cd_ref->text(), QString("2005/02"));
        QCOMPARE(w->fator->text(), text);
    }

    // Only a whole month is written: an empty, half-typed or impossible one
    // is refused on include and alter, nothing written, the boxes kept.
    void monthMustBeWhole_data()
    {
        QTest::addColumn<QString>("digits");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << ""
                               << "____/__";
        QTest::newRow("half typed") << "20261"
                                    << "2026/1_";
        QTest::newRow("no year") << "03"
                                 << "03__/__";
        QTest::newRow("month 13") << "202613"
                                  << "2026/13";
        QTest::newRow("month 00") << "202600"
                                  << "2026/00";
    }
    void monthMustBeWhole()
    {
        QFETCH(QString, digits);
        QFETCH(QString, shown);
        Factors f;
        f.add(shown, 5, shown.left(4)); // an old row of the same text
        fcorrecao *w = f.open();
        Factors::typeMonth(w, digits);
        QCOMPARE(w->cd_ref->text(), shown);
        w->fator->setText("2");
        w->CONFIRMA->click();
        QCOMPARE(f.shell.dialogs.texts(),
                 QStringList{"Referência inválida!! Digite o ano e o mês como AAAA/MM, com o "
                             "mês de 01 a 12."});
        QCOMPARE(kq::test::reg::rowCount(f.db(), "correcao"), 1);
        QCOMPARE(w->cd_ref->text(), shown);
        QCOMPARE(w->fator->text(), QString("2"));
        w->alterar->click();
        QCOMPARE(f.shell.dialogs.messages.size(), 2);
        QCOMPARE(f.field(shown, "fator").toDouble(), 5.0);
        QCOMPARE(w->fator->text(), QString("2"));
        // Completed, the month goes in and the form is cleared.
        Factors::typeMonth(w, "202603");
        w->CONFIRMA->click();
        QCOMPARE(f.field("2026/03", "fator").toDouble(), 2.0);
        QCOMPARE(w->cd_ref->text(), QString("____/__"));
    }

    void alterChangesOnlyTheFactor()
    {
        Factors f;
        f.add("2005/12", 1.5, "2005");
        f.add("2006/01", 1.6, "2006");
        fcorrecao *w = f.open();
        QCOMPARE(w->GridEX1->textAt(w->GridEX1->rowCount() - 1, 3), QString("2006/01"));
        QVERIFY(kq::test::reg::chooseRow(w->GridEX1, 3, "2005/12"));
        QCOMPARE(w->cd_ref->text(), QString("2005/12"));
        QCOMPARE(w->fator->text(), QString("1,5"));
        w->fator->setText("1,75");
        w->alterar->click();
        QCOMPARE(f.field("2005/12", "fator").toDouble(), 1.75);
        QCOMPARE(f.field("2005/12", "ano").toString(), QString("2005"));
        QCOMPARE(f.field("2006/01", "fator").toDouble(), 1.6);
    }

    void deleteNamesTheFactor()
    {
        Factors f;
        f.add("2005/12", 1.25, "2005");
        fcorrecao *w = f.open();
        QVERIFY(kq::test::reg::chooseRow(w->GridEX1, 3, "2005/12"));
        f.shell.dialogs.answers.enqueue(kq::platform::Answer::Yes);
        w->EXCLUIR->click();
        QCOMPARE(f.shell.dialogs.lastText(),
                 QString("Deseja Realmente excluir esse registro? :1,25"));
        QCOMPARE(kq::test::reg::rowCount(f.db(), "correcao"), 0);
    }

    void groupingByYear()
    {
        Factors f;
        f.add("2005/11", 1.1, "2005");
        f.add("2005/12", 1.2, "2005");
        f.add("2006/01", 1.3, "2006");
        fcorrecao *w = f.open();
        QVERIFY(!w->GridEX1->isGrouped());
        w->agrupar->click();
        QVERIFY(w->GridEX1->isGrouped());
        QCOMPARE(w->GridEX1->groupColumns(), QList<int>{1});
        // A group row shows nothing and names nothing.
        w->GridEX1->setCurrentRow(0);
        QVERIFY(w->GridEX1->isGroupRow());
        QVERIFY(w->fator->text().isEmpty());
        w->EXCLUIR->click();
        QCOMPARE(kq::test::reg::rowCount(f.db(), "correcao"), 3);
        w->agrupar->click();
        QVERIFY(!w->GridEX1->isGrouped());
    }
};

QTEST_MAIN(tst_fcorrecao)
#include "tst_fcorrecao.moc"
