#include "core/regional.h"

#include <QAbstractButton>
#include <QColorDialog>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QTranslator>

// The program's regional settings, run under several machine locales (see
// tests/CMakeLists.txt): Brazilian formats and Qt's own texts in Portuguese.
class tst_regional : public QObject
{
    Q_OBJECT

    // Every visible text of a dialog: buttons, labels, tool-bar actions.
    static QStringList texts(QWidget *w)
    {
        QStringList out;
        for (auto *b : w->findChildren<QAbstractButton *>())
            out << b->text();
        for (auto *l : w->findChildren<QLabel *>())
            out << l->text();
        for (auto *a : w->findChildren<QAction *>())
            out << a->text();
        out.removeAll(QString());
        return out;
    }

private slots:
    void initTestCase() { QVERIFY(kq::platform::useBrazilianSettings(*qApp)); }

    void formatsAreBrazilian()
    {
        const QLocale l;
        QCOMPARE(l.name(), QString("pt_BR"));
        QCOMPARE(l.toString(1234.5, 'f', 2), QString("1.234,50"));
        QCOMPARE(l.currencySymbol(), QString("R$"));
        QCOMPARE(l.firstDayOfWeek(), Qt::Sunday);
        QCOMPARE(l.monthName(3), QString("março"));
        QDateEdit edit;
        QCOMPARE(edit.locale().name(), QString("pt_BR"));
    }

    void secondCallKeepsOneTranslator()
    {
        QVERIFY(kq::platform::useBrazilianSettings(*qApp));
        QCOMPARE(qApp->findChildren<QTranslator *>().size(), 1);
    }

    // Qt's own dialogs: a text that Qt would show in English must not appear.
    void qtTextsArePortuguese_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("portuguese");
        QTest::newRow("button box") << "buttons"
                                    << "Cancel"
                                    << "Cancelar";
        QTest::newRow("colour") << "colour"
                                << "&Basic colors"
                                << "Cores &básicas";
        QTest::newRow("file") << "file"
                              << "Cancel"
                              << "Cancelar";
        QTest::newRow("print preview") << "preview"
                                       << "Print"
                                       << "Imprimir";
    }
    void qtTextsArePortuguese()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, english);
        QFETCH(QString, portuguese);
        std::unique_ptr<QWidget> w;
        if (dialog == "buttons") {
            w = std::make_unique<QDialogButtonBox>(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        } else if (dialog == "colour") {
            auto *d = new QColorDialog;
            d->setOption(QColorDialog::DontUseNativeDialog);
            w.reset(d);
        } else if (dialog == "file") {
            auto *d = new QFileDialog;
            d->setOption(QFileDialog::DontUseNativeDialog);
            w.reset(d);
        } else {
            w = std::make_unique<QPrintPreviewDialog>();
        }
        const QStringList shown = texts(w.get());
        QVERIFY2(!shown.contains(english), qPrintable(shown.join(" | ")));
        QVERIFY2(shown.contains(portuguese), qPrintable(shown.join(" | ")));
    }
};

QTEST_MAIN(tst_regional)
#include "tst_regional.moc"
