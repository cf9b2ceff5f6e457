#include "cube/commondialoghelper.h"
#include "cube/model/cubetypes.h"
#include "support/base_dialogs.h"

#include <QColorDialog>
#include <QPrinter>
#include <QtTest>

using kq::cube::CommonDialogHelper;

class tst_commondialoghelper : public QObject
{
    Q_OBJECT

private slots:
    void filters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("pair");
        const QChar nul(0);
        QTest::newRow("layout") << "Lay Out (*.lyt)|*.lyt|" << 1
                                << QString("Lay Out (*.lyt)") + nul + "*.lyt";
        QTest::newRow("colon splits")
            << "Cubo: arquivo|*.cub" << 1 << QString("Cubo") + nul + " arquivo";
        QTest::newRow("second pair") << "A|*.a|B|*.b|" << 2 << QString("B") + nul + "*.b";
        QTest::newRow("past the last") << "A|*.a|" << 2 << QString();
        QTest::newRow("empty") << "" << 1 << QString();
    }

    void filters()
    {
        QFETCH(QString, filter);
        QFETCH(int, index);
        QFETCH(QString, pair);
        const QString nulFilter = CommonDialogHelper::nullSeparatedFilter(filter);
        QVERIFY(nulFilter.endsWith(QString(2, QChar(0))));
        QVERIFY(!nulFilter.contains(QLatin1Char('|')));
        QCOMPARE(CommonDialogHelper::GetNullSeparatedItem(filter.isEmpty() ? QString() : nulFilter,
                                                          index),
                 pair);
    }

    void openAndSave()
    {
        kq::test::ScriptedDialogs dialogs;
        CommonDialogHelper helper;
        QString name = QStringLiteral("x");
        QString title = QStringLiteral("x");
        QString filter = QStringLiteral("DynamiCube CUB Files (*.CUB)|*.cub");
        qint32 index = 1;
        qint32 flags = 0x20 | 0x8000;
        bool readOnly = false;

        // Cancelled: outputs reset, -1 for the open dialog, 0 for the save one.
        QVERIFY(!helper.VBGetOpenFileName(name, title, true, false, readOnly, true, filter, index,
                                          QString(), QString(), QString(), -1, flags));
        QCOMPARE(helper.APIReturn(), 0);
        QVERIFY(name.isEmpty() && title.isEmpty() && filter.isEmpty());
        QCOMPARE(flags, 0);
        QCOMPARE(index, -1);
        filter = QStringLiteral("Cubos|*.cub");
        index = 3;
        QVERIFY(!helper.VBGetSaveFileName(name, title, true, filter, index, QString(), QString(),
                                          QString(), -1, flags));
        QCOMPARE(index, 0);

        // Confirmed: the name, its title, the flags and the chosen pair.
        dialogs.files.enqueue(QStringLiteral("/tmp/cubos/vendas.cub"));
        filter = QStringLiteral("Cubos|*.cub");
        index = 1;
        flags = 0x20 | 0x8000;
        QVERIFY(helper.VBGetOpenFileName(name, title, true, false, readOnly, true, filter, index,
                                         QString(), QString(), QString(), -1, flags));
        QCOMPARE(helper.APIReturn(), 1);
        QCOMPARE(name, QStringLiteral("/tmp/cubos/vendas.cub"));
        QCOMPARE(title, QStringLiteral("vendas.cub"));
        QCOMPARE(flags, 0x1000 | 0x4 | 0x8000); // hook bit dropped
        QCOMPARE(filter, QString("Cubos") + QChar(0) + "*.cub");

        dialogs.files.enqueue(QStringLiteral("/tmp/cubos/novo"));
        flags = 0;
        QVERIFY(helper.VBGetSaveFileName(name, title, true, filter, index, QString(), QString(),
                                         QStringLiteral("cub"), -1, flags));
        QCOMPARE(name, QStringLiteral("/tmp/cubos/novo.cub")); // the default extension
        QCOMPARE(flags, 0x2 | 0x4);
        QCOMPARE(helper.VBGetFileTitle(QStringLiteral("/a/b/c.txt")), QStringLiteral("c.txt"));
        QCOMPARE(helper.VBGetFileTitle(QString()), QString());
    }

    void colours()
    {
        kq::test::ScriptedDialogs dialogs;
        CommonDialogHelper helper;
        qint32 colour = 255;
        QVERIFY(!helper.VBChooseColor(colour, true, false, false, -1, 0));
        QCOMPARE(colour, -1); // a cancel
        QCOMPARE(helper.APIReturn(), 0);
        dialogs.colors.enqueue(QColor(0x12, 0x34, 0x56));
        colour = 0;
        QVERIFY(helper.VBChooseColor(colour));
        QCOMPARE(colour, 0x563412); // red in the low byte
    }

    void customColours()
    {
        CommonDialogHelper helper;
        QCOMPARE(helper.CustomColor(0), CommonDialogHelper::sysColor(0));
        QCOMPARE(helper.CustomColor(15), CommonDialogHelper::sysColor(15));
        QCOMPARE(helper.CustomColor(16), -1);
        QCOMPARE(helper.CustomColor(-1), -1);
        helper.setCustomColor(16, 123); // ignored
        QCOMPARE(helper.CustomColor(16), -1);
        helper.setCustomColor(3, 0x0000FF);
        QCOMPARE(helper.CustomColor(3), 0x0000FF);

        // An object's custom colours are offered by its dialog and kept from it,
        // whatever another object's dialog did in between.
        kq::test::ScriptedDialogs dialogs;
        dialogs.colors << QColor(Qt::red) << QColor(Qt::red);
        qint32 colour = 0;
        helper.VBChooseColor(colour);
        QCOMPARE(QColorDialog::customColor(3), QColor(255, 0, 0));
        CommonDialogHelper other;
        other.VBChooseColor(colour);
        QCOMPARE(QColorDialog::customColor(3),
                 kq::platform::cubeColor(CommonDialogHelper::sysColor(3)));
        QCOMPARE(helper.CustomColor(3), 0x0000FF);
    }

    void font()
    {
        kq::test::ScriptedDialogs dialogs; // its font dialog is always cancelled
        CommonDialogHelper helper;
        QFont f(QStringLiteral("Sans"), 10);
        qint32 dc = -1;
        qint32 colour = 0;
        qint32 flags = 0;
        QVERIFY(!helper.VBChooseFont(f, dc, -1, colour, 0, 0, flags));
        QCOMPARE(dc, 0);
        QCOMPARE(f.pointSize(), 10);
    }

    void pageSetupMargins_data()
    {
        QTest::addColumn<qint32>("units");
        QTest::addColumn<qint32>("margin");
        QTest::addColumn<qint32>("dialogValue");
        QTest::newRow("one inch") << 0 << 1 << 1000;
        QTest::newRow("ten millimetres") << 1 << 10 << 1000;
    }

    void pageSetupMargins()
    {
        QFETCH(qint32, units);
        QFETCH(qint32, margin);
        QFETCH(qint32, dialogValue);
        QCOMPARE(CommonDialogHelper::toDialogUnits(margin, units), dialogValue);
        QCOMPARE(CommonDialogHelper::fromDialogUnits(dialogValue, units), margin);
        // Rounded half to even on the way back.
        QCOMPARE(CommonDialogHelper::fromDialogUnits(2540, 1), 25);
        QCOMPARE(CommonDialogHelper::fromDialogUnits(2550, 1), 26);
        QCOMPARE(CommonDialogHelper::fromDialogUnits(2450, 1), 24);
        QCOMPARE(CommonDialogHelper::fromDialogUnits(1500, 0), 2);
    }

    void pageSetupDialog()
    {
        CommonDialogHelper helper;
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setPageSize(QPageSize(QPageSize::A4));
        qint32 left = 25, minLeft = 0, right = 20, minRight = 0, top = 15, minTop = 0;
        qint32 bottom = 10, minBottom = 0, paper = 0, orientation = 0, quality = 0;
        QMarginsF seen;
        CommonDialogHelper::setPageSetupRunner([&](QPrinter *p) {
            seen = p->pageLayout().margins(QPageLayout::Millimeter);
            QPageLayout layout = p->pageLayout();
            layout.setOrientation(QPageLayout::Landscape);
            layout.setMargins(QMarginsF(25.4, 15, 20, 10));
            p->setPageLayout(layout);
            return true;
        });
        QVERIFY(helper.VBPageSetupDlg(-1, false, false, false, false, left, minLeft, right,
                                      minRight, top, minTop, bottom, minBottom, paper, orientation,
                                      quality, 1, &printer, 0));
        QCOMPARE(seen, QMarginsF(25, 15, 20, 10));
        QCOMPARE(left, 25);
        QCOMPARE(paper, 9); // A4
        QCOMPARE(orientation, 2);
        QVERIFY(quality > 0);
        CommonDialogHelper::setPageSetupRunner([](QPrinter *) { return false; });
        QVERIFY(!helper.VBPageSetupDlg(-1, false, false, false, false, left, minLeft, right,
                                       minRight, top, minTop, bottom, minBottom, paper, orientation,
                                       quality, 1, &printer, 0));
        QCOMPARE(helper.APIReturn(), 0);
    }

    void printDialog()
    {
        kq::test::ScriptedDialogs dialogs;
        CommonDialogHelper helper;
        QPrinter printer(QPrinter::ScreenResolution);
        qint32 hdc = -5, range = 1, from = 2, to = 4;
        qint16 copies = 0;
        bool toFile = false, collate = true;
        QVERIFY(helper.VBPrintDlg(hdc, range, false, from, to, false, copies, false, false, toFile,
                                  collate, false, -1, &printer, 0));
        QCOMPARE(hdc, 0);
        QCOMPARE(range, 1);
        QCOMPARE(from, 2);
        QCOMPARE(to, 4);
        QVERIFY(copies >= 1);
        QVERIFY(collate);
        dialogs.printAccepted = false;
        QVERIFY(!helper.VBPrintDlg(hdc, range, false, from, to, false, copies, false, false, toFile,
                                   collate, false, -1, nullptr, 0));
        QCOMPARE(helper.APIReturn(), 0);
    }
};

QTEST_MAIN(tst_commondialoghelper)
#include "tst_commondialoghelper.moc"
