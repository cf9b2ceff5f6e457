#include "data/database.h"
#include "platform/grid/gridex.h"
#include "platform/screenregistry.h"
#include "registers/flojas.h"
#include "registers/screens.h"
#include "registers/storecolors.h"
#include "support/shell_fixture.h"
#include "support/shell_registers_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using kq::platform::GridEX;
using kq::platform::ScreenRegistry;
using kq::registers::flojas;

namespace {

struct Stores
{
    Stores()
    {
        static bool registered = false;
        if (!registered) {
            kq::registers::registerScreens();
            registered = true;
        }
    }
    flojas *open()
    {
        auto *w = qobject_cast<flojas *>(ScreenRegistry::instance().show("flojas"));
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w))
            qWarning("window not active");
        return w;
    }
    QString db() const { return shell.devolvidos(); }
    void add(const QString &code, const QString &name, const QVariant &color)
    {
        kq::test::reg::insertRow(db(), "lojas", {"CD_loja", "DS_loja", "cd_cor"},
                                 {code, name, color});
    }
    QVariant field(const QString &code, const QString &f) const
    {
        return kq::test::reg::fieldOf(db(), "lojas", "CD_loja", code, f);
    }
    // Text colour of the grid row of a store.
    static QColor rowColor(GridEX *grid, const QString &code)
    {
        const int row = grid->findRow(1, code);
        const QString style = grid->rowStyleName(row);
        return grid->hasFormatStyle(style) ? grid->formatStyle(style).foreColor : QColor();
    }

    kq::test::ShellFixture shell;
};

} // namespace

class tst_flojas : public QObject
{
    Q_OBJECT
private slots:
    void loadBuildsTheStyles()
    {
        Stores s;
        s.add("001", "AZUL", "16711680");
        s.add("002", "AZUL TAMBÉM", "16711680");
        s.add("003", "PRETA", "0");
        s.add("004", "SEM COR", "");
        s.add("005", "COR DIGITADA", "vermelho");
        s.add("006", "NULA", QVariant());
        flojas *w = s.open();
        QCOMPARE(w->windowTitle(), QString("Tabela de Empresas"));
        QCOMPARE(Stores::rowColor(w->GridEX1, "001"), QColor(Qt::blue));
        QCOMPARE(Stores::rowColor(w->GridEX1, "002"), QColor(Qt::blue));
        QCOMPARE(Stores::rowColor(w->GridEX1, "003"), QColor(Qt::black));
        // Unreadable colours keep the ordinary look and fail nothing.
        QVERIFY(!w->GridEX1->hasFormatStyle("004"));
        QVERIFY(!w->GridEX1->hasFormatStyle("005"));
        QVERIFY(!w->GridEX1->hasFormatStyle("006"));
        QVERIFY(s.shell.dialogs.messages.isEmpty());
        for (QLineEdit *box : {w->vl_juros, w->vl_honorarios, w->vl_multa, w->nr_parcelas})
            QCOMPARE(box->text(), QString("0"));
        QCOMPARE(w->cd_uf->count(), 26);
        QCOMPARE(w->cd_uf->itemText(24), QString("SE"));
    }

    void includeNeedsAColour()
    {
        Stores s;
        s.add("001", "PRIMEIRA", "255");
        flojas *w = s.open();
        w->ds_loja->setText("NOVA");
        w->vl_juros->setText("2,5");
        w->CONFIRMA->click();
        QCOMPARE(s.shell.dialogs.texts(), QStringList{flojas::colorMissingMessage()});
        QCOMPARE(w->cd_loja->text(), QString("002"));
        QCOMPARE(w->ds_loja->text(), QString("NOVA"));
        QCOMPARE(kq::test::reg::rowCount(s.db(), "lojas"), 1);

        s.shell.dialogs.colors.enqueue(QColor(0, 128, 0));
        w->Command3->click();
        QCOMPARE(w->cd_cor->text(), QString("32768"));
        w->nr_parcelas->setText("12");
        w->CONFIRMA->click();
        QCOMPARE(s.field("002", "DS_loja").toString(), QString("NOVA"));
        QCOMPARE(s.field("002", "cd_cor").toString(), QString("32768"));
        QCOMPARE(s.field("002", "vl_jurospraticado").toDouble(), 2.5);
        QCOMPARE(s.field("002", "nr_parcelasacordo").toInt(), 12);
        // Listed at once in its colour.
        QCOMPARE(Stores::rowColor(w->GridEX1, "002"), QColor(0, 128, 0));
        QVERIFY(w->ds_loja->text().isEmpty());
        QCOMPARE(w->vl_juros->text(), QString("0"));
        QCOMPARE(w->nr_parcelas->text(), QString("0"));
        QCOMPARE(colorBoxLook(w), QColor(Qt::white));
    }

    void termThatIsNotANumberWritesNothing_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::newRow("interest") << "vl_juros"
                                  << "dois";
        QTest::newRow("fees empty") << "vl_honorarios"
                                    << "";
        QTest::newRow("fine") << "vl_multa"
                              << "1%";
        QTest::newRow("instalments") << "nr_parcelas"
                                     << "2,5";
    }
    void termThatIsNotANumberWritesNothing()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        Stores s;
        s.add("001", "PRIMEIRA", "255");
        flojas *w = s.open();
        w->ds_loja->setText("NOVA");
        w->cd_cor->setText("255");
        w->findChild<QLineEdit *>(box)->setText(text);
        w->CONFIRMA->click();
        QCOMPARE(s.shell.dialogs.messages.size(), 1);
        QVERIFY(s.shell.dialogs.lastText().startsWith("Erro No.13"));
        QVERIFY(s.shell.dialogs.lastText().contains("Formulário: flojas"));
        QCOMPARE(kq::test::reg::rowCount(s.db(), "lojas"), 1);
        QVERIFY(!w->GridEX1->hasFormatStyle("002"));
        // Every box keeps what was typed, for the user to correct the term.
        QCOMPARE(w->ds_loja->text(), QString("NOVA"));
        QCOMPARE(w->cd_cor->text(), QString("255"));
        QCOMPARE(w->findChild<QLineEdit *>(box)->text(), text);

        // The same on alter: the stored store is left as it was.
        s.shell.dialogs.clear();
        QVERIFY(kq::test::reg::chooseRow(w->GridEX1, 1, "001"));
        w->ds_loja->setText("MUDOU");
        w->findChild<QLineEdit *>(box)->setText(text);
        w->alterar->click();
        QCOMPARE(s.shell.dialogs.messages.size(), 1);
        QCOMPARE(s.field("001", "DS_loja").toString(), QString("PRIMEIRA"));
        QCOMPARE(w->ds_loja->text(), QString("MUDOU"));
        QCOMPARE(w->findChild<QLineEdit *>(box)->text(), text);
    }

    void showingAStore()
    {
        Stores s;
        kq::test::reg::insertRow(s.db(), "lojas",
                                 {"CD_loja", "DS_loja", "cd_cor", "vl_jurospraticado",
                                  "vl_honorarios", "vl_multa", "nr_parcelasacordo", "cd_uf"},
                                 {"001", "UMA", "65280", 1.5, 10.0, 2.0, QVariant(), "PE"});
        s.add("002", "OUTRA", "");
        flojas *w = s.open();
        QVERIFY(kq::test::reg::chooseRow(w->GridEX1, 1, "001"));
        QCOMPARE(w->cd_loja->text(), QString("001"));
        QCOMPARE(w->cd_uf->currentText(), QString("PE"));
        QCOMPARE(w->vl_juros->text(), QString("1,5"));
        QCOMPARE(w->vl_honorarios->text(), QString("10"));
        QCOMPARE(w->vl_multa->text(), QString("2"));
        QCOMPARE(w->nr_parcelas->text(), QString("0"));
        QCOMPARE(colorBoxLook(w), QColor(0, 255, 0));
        QVERIFY(kq::test::reg::chooseRow(w->GridEX1, 1, "002"));
        QCOMPARE(colorBoxLook(w), QColor(Qt::white));
        QVERIFY(s.shell.dialogs.messages.isEmpty());

        // Alter may store an empty colour; the list keeps the old one.
        QVERIFY(kq::test::reg::chooseRow(w->GridEX1, 1, "001"));
        w->cd_cor->clear();
        w->alterar->click();
        QCOMPARE(s.field("001", "cd_cor").toString(), QString(""));
        QCOMPARE(Stores::rowColor(w->GridEX1, "001"), QColor(0, 255, 0));
    }

    void cancellingTheColourDialogKeepsTheColour()
    {
        Stores s;
        s.add("001", "UMA", "255");
        flojas *w = s.open();
        QVERIFY(kq::test::reg::chooseRow(w->GridEX1, 1, "001"));
        w->Command3->click(); // no scripted colour: cancelled
        QCOMPARE(w->cd_cor->text(), QString("255"));
        QCOMPARE(colorBoxLook(w), QColor(Qt::red));
        w->alterar->click();
        QCOMPARE(s.field("001", "cd_cor").toString(), QString("255"));
    }

    void termsSelectTheirTextOnEntry()
    {
        Stores s;
        flojas *w = s.open();
        w->ds_loja->setFocus();
        w->vl_multa->setFocus(Qt::MouseFocusReason);
        QTRY_COMPARE(w->vl_multa->selectedText(), QString("0"));
        w->nr_parcelas->setFocus(Qt::MouseFocusReason);
        QTest::qWait(20);
        QCOMPARE(w->nr_parcelas->selectedText(), QString());
        // Enter moves to the next field.
        w->ds_email->setFocus();
        QTest::keyClick(w->ds_email, Qt::Key_Return);
        QCOMPARE(w->focusWidget(), w->cd_cor);
    }

    void storeStylesOnAGroupedGrid()
    {
        Stores s;
        s.add("001", "UMA", "255");
        s.add("002", "DUAS", "16711680");
        kq::test::reg::insertRow(s.db(), "DEVOLVIDOS", {"CD_DEVOLVIDO", "CD_LOJA", "VL_CHEQUE"},
                                 {"0000000001", "001", 10.0});
        kq::test::reg::insertRow(s.db(), "DEVOLVIDOS", {"CD_DEVOLVIDO", "CD_LOJA", "VL_CHEQUE"},
                                 {"0000000002", "002", 20.0});
        GridEX grid;
        grid.addColumn("CD_DEVOLVIDO", "Código");
        grid.addColumn("CD_LOJA", "Loja");
        grid.setDatabaseName(s.db());
        grid.setRecordSource("select * from DEVOLVIDOS order by CD_DEVOLVIDO");
        grid.rebind();
        grid.refresh();
        QCOMPARE(kq::registers::addStoreStyles(&grid, s.db()), 2);
        kq::registers::useStoreStyles(&grid, 2);
        grid.groupBy(2);
        int records = 0;
        for (int row = 0; row < grid.rowCount(); ++row) {
            if (grid.rowType(row) == kq::platform::RowType::Record) {
                QCOMPARE(grid.rowStyleName(row), grid.valueAt(row, 2).toString());
                ++records;
            } else {
                QVERIFY(grid.rowStyleName(row).isEmpty());
            }
        }
        QCOMPARE(records, 2);
    }

    // Cheque entry opens the register modally; Esc returns to it.
    void opensModally()
    {
        Stores s;
        QTimer::singleShot(0, [&] {
            auto *w = qobject_cast<flojas *>(ScreenRegistry::instance().find("flojas"));
            QVERIFY(w && w->isModal());
            w->ds_loja->setText("MODAL");
            w->cd_cor->setText("255");
            w->CONFIRMA->click();
            w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w));
            QTest::keyClick(w->ds_loja, Qt::Key_Escape);
        });
        ScreenRegistry::instance().showModal("flojas");
        QCOMPARE(s.field("001", "DS_loja").toString(), QString("MODAL"));
        QCOMPARE(ScreenRegistry::instance().find("flojas"), nullptr);
    }

private:
    static QColor colorBoxLook(flojas *w) { return w->cd_cor->palette().color(QPalette::Base); }
};

QTEST_MAIN(tst_flojas)
#include "tst_flojas.moc"
