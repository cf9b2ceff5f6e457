// The cube screen: opening from the menu, the status bar and the cube's
// definition, totals off and on, the data-field list, the layout's error
// reports, the ranking window reused and the markers gone with the screen.
#include "cube/datamarkerseditorform.h"
#include "cube/rankform.h"
#include "cube/frmmschart.h"
#include "platform/chart/mschart.h"
#include "support/cubescreen_test.h"
#include "data/database.h"
#include "platform/statusbar.h"
#include "support/base_screens.h"

#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QtTest>

using namespace kq::test;
using namespace kq::test::cubescreen;
using kq::cube::fcubovendas;
using kq::platform::DCube;
using kq::platform::ScreenRegistry;

class tst_fcubovendas : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fx = new CubeFixture; }
    void cleanup()
    {
        delete m_fx;
        m_fx = nullptr;
    }

    void opening();
    void openingCancelled();
    void lastLineOfSettings();
    void definition();
    void pivotAndTotals();
    void dataFieldList();
    void layoutTooSmall();
    void rankFormReused();
    void markersColourCells();
    void chartAndMarkerEditor();
    void printPreview();
    void closingDropsToolsAndMarkers();
    void screenshot();

private:
    CubeFixture *m_fx = nullptr;
};

void tst_fcubovendas::opening()
{
    fcubovendas *f = m_fx->open();
    QVERIFY(f);
    QCOMPARE(f->windowTitle(), QStringLiteral("Bi - Business Inteligence"));
    QVERIFY(f->isVisible());
    QCOMPARE(ctl<kq::platform::StatusBar>(f, "StatusBar1")->panelCount(), 6);
    QCOMPARE(ctl<kq::platform::StatusBar>(f, "StatusBar1")->panelText(1),
             m_fx->shell.folders.dataFolder());
    QCOMPARE(ctl<kq::platform::StatusBar>(f, "StatusBar1")->panelText(2),
             QStringLiteral("USUARIO"));
    QCOMPARE(ctl<kq::platform::StatusBar>(f, "StatusBar1")->panelText(6), QString());
    QCOMPARE(ctl<DCube>(f, "DCube1")->connectType(), 1);
    QCOMPARE(ctl<DCube>(f, "DCube1")->connect(), QStringLiteral("Access"));
    QCOMPARE(ctl<DCube>(f, "DCube1")->databaseName(), m_fx->shell.devolvidos());
    QStringList items;
    for (QAction *a : ctl<QMenu>(f, "MenuOpcoes")->actions())
        items << a->text();
    QCOMPARE(items, QStringList({"Abrir", "Salvar", "Classificar", "Graficos", "Retirar Totais",
                                 "Inserir Totais", "Marcadores", "Exportar"}));
    QCOMPARE(ctl<QMenu>(f, "MenuOpcoes")->title(), QStringLiteral("Menu Opções"));
    // The same instance comes up again.
    QCOMPARE(m_fx->open(), f);
    QVERIFY(m_fx->shell.dialogs.messages.isEmpty());
}

// A big portfolio takes a while to read: cancelled, the screen opens with an
// empty cube and no error report; the menu's rebuilds read it later.
void tst_fcubovendas::openingCancelled()
{
    const QString db = m_fx->shell.devolvidos();
    {
        kq::data::Transaction t(db);
        for (int i = 0; i < 9000; ++i)
            kq::data::exec(db,
                           QStringLiteral("INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, "
                                          "CD_LOJA, DT_DEPOSITO, VL_CHEQUE, vl_atualizado, "
                                          "CD_SITUACAO, CD_documento, CD_DESTINO, CD_BANCO) "
                                          "VALUES (?, '00001', '001', '2025-03-01', 1, 1, "
                                          "'001', '01', '001', '237')"),
                           {QStringLiteral("1%1").arg(i, 9, 10, QLatin1Char('0'))});
        t.commit();
    }
    m_fx->shell.dialogs.cancelProgressAt = 0; // at the first step
    fcubovendas *f = m_fx->open();
    QVERIFY(f);
    QCOMPARE(m_fx->shell.dialogs.progressLabels, QStringList{"Montando o cubo..."});
    QVERIFY(m_fx->shell.dialogs.messages.isEmpty());
    QVERIFY(!ctl<DCube>(f, "DCube1")->model()->hasData());
    m_fx->shell.dialogs.cancelProgressAt = -1;
    QVERIFY(ctl<DCube>(f, "DCube1")->rebuild());
    QCOMPARE(ctl<DCube>(f, "DCube1")->model()->sourceRowCount(), 9005);
}

void tst_fcubovendas::lastLineOfSettings()
{
    // The cube screen reads the settings itself and keeps their last line.
    const QString other = m_fx->shell.folders.programFile(QStringLiteral("outros"));
    m_fx->shell.folders.writeSysIni({other, m_fx->shell.folders.dataFolder()});
    fcubovendas *f = m_fx->open();
    QCOMPARE(ctl<kq::platform::StatusBar>(f, "StatusBar1")->panelText(1),
             m_fx->shell.folders.dataFolder());
    QCOMPARE(ctl<DCube>(f, "DCube1")->model()->sourceRowCount(), 5);
    f->close();
    QTRY_VERIFY(!ScreenRegistry::instance().find(QStringLiteral("fcubovendas")));
    // "SYS.INI" and "sys.ini" are the same file.
    const QString lower = m_fx->shell.folders.programFile(QStringLiteral("sys.ini"));
    QVERIFY(QFile::rename(lower, m_fx->shell.folders.programFile(QStringLiteral("SYS.INI"))));
    f = m_fx->open();
    QCOMPARE(ctl<kq::platform::StatusBar>(f, "StatusBar1")->panelText(1),
             m_fx->shell.folders.dataFolder());
    QVERIFY(m_fx->shell.dialogs.messages.isEmpty());
}

void tst_fcubovendas::definition()
{
    fcubovendas *f = m_fx->open();
    DCube *cube = ctl<DCube>(f, "DCube1");
    QStringList captions;
    int pages = 0;
    for (kq::platform::CubeField *field : cube->fields()->all()) {
        captions << field->caption();
        QCOMPARE(field->totalCaption(), QStringLiteral("Total"));
        pages += field->orientation() == kq::platform::OrientPage;
    }
    QCOMPARE(captions,
             QStringList({"Inadimplemte", "Estado", "Cidade", "Vencimento", "Mês Vencimento",
                          "Ano Vencimento", "Trimestre Vencimento", "Banco", "Cliente", "Situação",
                          "Destino", "Valor", "Atualizado", "Tipo Documento"}));
    QCOMPARE(pages, 12);
    QCOMPARE(cube->dataFields()->count(), 2);
    QCOMPARE(cube->dataFields()->item(0)->name(), QStringLiteral("sumVL_CHEQUE"));
    QCOMPARE(cube->dataFields()->item(1)->name(), QStringLiteral("Atualizado"));
    QCOMPARE(cube->dataFields()->item(0)->numberFormat(), QStringLiteral("0.00"));
    QCOMPARE(cube->headerCaption(), QStringLiteral("Gerador de Relatórios"));
    QCOMPARE(cube->footerCaption(), QStringLiteral("- Page &P -"));
    QVERIFY(cube->recordSource().startsWith("SELECT DEVOLVIDOS.vl_atualizado, CLIENTES."));
    QVERIFY(cube->recordSource().endsWith("= documentos.CD_documento\r\n"));
    // The cheque with an unknown document type stays out of the inner joins.
    QCOMPARE(cube->cellValue(0, 0).toDouble(), 1000.0);
    QCOMPARE(cube->cellValue(0, 1).toDouble(), 1100.0);
}

void tst_fcubovendas::pivotAndTotals()
{
    fcubovendas *f = m_fx->open();
    DCube *cube = ctl<DCube>(f, "DCube1");
    cube->fields()->item(QStringLiteral("ds_loja"))->setOrientation(kq::platform::OrientRow);
    cube->fields()
        ->item(QStringLiteral("datepart(\"yyyy\",DEVOLVIDOS.DT_DEPOSITO)"))
        ->setOrientation(kq::platform::OrientColumn);
    QVERIFY(cube->rebuild());
    // LOJA NORTE, LOJA SUL, Total by 2025, 2026, Total, each with two data fields.
    QCOMPARE(cube->rowCount(), 3);
    QCOMPARE(cube->columnCount(), 6);
    QCOMPARE(cube->rowHeading(0, 1).text, QStringLiteral("LOJA NORTE"));
    QCOMPARE(cube->cellValue(0, 2).toDouble(), 550.0); // LOJA NORTE 2026 Valor
    QCOMPARE(cube->cellValue(2, 4).toDouble(), 1000.0);

    ctl<QAction>(f, "retirar")->trigger();
    for (kq::platform::CubeField *field : cube->fields()->all())
        QVERIFY2(!field->groupFooter(), qPrintable(field->caption()));
    QCOMPARE(cube->rowCount(), 2);
    QCOMPARE(cube->columnCount(), 4);

    ctl<QAction>(f, "Inserir")->trigger();
    for (kq::platform::CubeField *field : cube->fields()->all())
        QVERIFY(field->groupFooter());
    QCOMPARE(cube->rowCount(), 3);
    QCOMPARE(cube->columnCount(), 6);
}

void tst_fcubovendas::dataFieldList()
{
    fcubovendas *f = m_fx->open();
    QListWidget *list = ctl<QListWidget>(f, "lstVisDataField");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Valor"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("Atualizado"));
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(list->item(i)->data(Qt::UserRole).toInt(), i);
        QCOMPARE(list->item(i)->checkState(), Qt::Checked);
    }
    list->item(0)->setCheckState(Qt::Unchecked);
    QVERIFY(!ctl<DCube>(f, "DCube1")->dataFields()->item(0)->shown());
    QVERIFY(ctl<DCube>(f, "DCube1")->dataFields()->item(1)->shown());
    QCOMPARE(ctl<DCube>(f, "DCube1")->columnCount(), 1);
    QCOMPARE(ctl<DCube>(f, "DCube1")->cellValue(0, 0).toDouble(), 1100.0);
    list->item(0)->setCheckState(Qt::Checked);
    QVERIFY(ctl<DCube>(f, "DCube1")->dataFields()->item(0)->shown());
    QCOMPARE(list->item(0)->text(), QStringLiteral("Valor"));
    QCOMPARE(ctl<DCube>(f, "DCube1")->columnCount(), 2);
    QVERIFY(m_fx->shell.dialogs.messages.isEmpty());
}

void tst_fcubovendas::layoutTooSmall()
{
    fcubovendas *f = m_fx->open();
    const QRect cube = ctl<DCube>(f, "DCube1")->geometry();
    m_fx->shell.dialogs.clear();
    // A zero inner size: each move that would get a negative size is
    // reported and the others still run.
    f->Form_Resize(0, 0);
    const QStringList texts = m_fx->shell.dialogs.texts();
    QCOMPARE(texts.size(), 3);
    for (const QString &t : texts) {
        QVERIFY2(t.startsWith("Erro No.380 - Valor de propriedade inválido"), qPrintable(t));
        QVERIFY(t.contains("Formulário: fcubovendas"));
    }
    QCOMPARE(ctl<DCube>(f, "DCube1")->geometry(), cube);
    // A normal size reports nothing.
    m_fx->shell.dialogs.clear();
    f->Form_Resize(12000, 8000);
    QVERIFY(m_fx->shell.dialogs.messages.isEmpty());
    QCOMPARE(ctl<kq::cube::GradientPicture>(f, "TopPicture")->geometry().topLeft(), QPoint(6, 6));
    QCOMPARE(ctl<kq::cube::GradientPicture>(f, "TopPicture")->width(), (12000 - 180) / 15);
    QCOMPARE(ctl<DCube>(f, "DCube1")->x(),
             ctl<kq::cube::GradientPicture>(f, "LeftPicture")->geometry().right() + 1 + 6);
    QCOMPARE(ctl<DCube>(f, "DCube1")->height(),
             (8000 - (ctl<DCube>(f, "DCube1")->y() * 15 + 360)) / 15);
}

void tst_fcubovendas::rankFormReused()
{
    fcubovendas *f = m_fx->open();
    ctl<QAction>(f, "Classificar")->trigger();
    auto *rank = qobject_cast<kq::cube::RankForm *>(
        ScreenRegistry::instance().find(QStringLiteral("RankForm")));
    QVERIFY(rank);
    QVERIFY(rank->isVisible());
    QCOMPARE(rank->dynamiCube(), ctl<DCube>(f, "DCube1"));
    QCOMPARE(rank->parentWidget(), f);
    QVERIFY(!rank->selectedField());
    ctl<QAction>(f, "Classificar")->trigger();
    QCOMPARE(ScreenRegistry::instance().find(QStringLiteral("RankForm")), rank);
    QCOMPARE(f->findChildren<kq::cube::RankForm *>().size(), 1);
}

void tst_fcubovendas::markersColourCells()
{
    fcubovendas *f = m_fx->open();
    f->dataMarkers().Add(255, 65535, 900, 1000, QStringLiteral("sumVL_CHEQUE"));
    const kq::platform::CubeCell valor = ctl<DCube>(f, "DCube1")->model()->formatCell(0, 0);
    QCOMPARE(valor.backColor, 65535);
    QCOMPARE(valor.foreColor, 255);
    // "Atualizado" (1100) has no marker.
    QVERIFY(ctl<DCube>(f, "DCube1")->model()->formatCell(0, 1).backColor != 65535);
}

void tst_fcubovendas::chartAndMarkerEditor()
{
    fcubovendas *f = m_fx->open();
    // Every "Graficos" makes a new chart window of the cube's current block.
    ctl<QAction>(f, "graficos")->trigger();
    ctl<QAction>(f, "graficos")->trigger();
    QList<kq::cube::frmMSChart *> charts;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *c = qobject_cast<kq::cube::frmMSChart *>(w); c && c->isVisible())
            charts << c;
    }
    QCOMPARE(charts.size(), 2);
    QVERIFY(charts.at(0)->MSChart->showLegend());
    for (kq::cube::frmMSChart *c : charts)
        c->close();

    // "Marcadores" opens the editor on this cube's markers, modally.
    QString fieldShown;
    QTimer::singleShot(50, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *e = qobject_cast<kq::cube::DataMarkersEditorForm *>(w);
            if (e && e->isVisible()) {
                fieldShown = e->cboDataMarkerField->currentText();
                e->close();
            }
        }
    });
    ctl<QAction>(f, "Marcadores")->trigger();
    QCOMPARE(fieldShown, QStringLiteral("Valor"));
}

void tst_fcubovendas::printPreview()
{
    fcubovendas *f = m_fx->open();
    ctl<QPushButton>(f, "cmdPreview")->click();
    auto *preview = f->findChild<QPrintPreviewDialog *>(QStringLiteral("cubePrintPreview"));
    QVERIFY(preview);
    QVERIFY(preview->isVisible());
    QCOMPARE(preview->windowTitle(), QStringLiteral("Print Preview"));
    preview->close();
}

void tst_fcubovendas::closingDropsToolsAndMarkers()
{
    fcubovendas *f = m_fx->open();
    f->dataMarkers().Add(255, 16777215, 0, 500, QStringLiteral("sumVL_CHEQUE"));
    QCOMPARE(f->dataMarkers().Count(), 1);
    ctl<QAction>(f, "Salvar")->trigger();
    ctl<QAction>(f, "Exportar")->trigger();
    ctl<QAction>(f, "Classificar")->trigger();
    auto &registry = ScreenRegistry::instance();
    QVERIFY(registry.find(QStringLiteral("SaveForm")));
    QVERIFY(registry.find(QStringLiteral("fexport")));
    ctl<QPushButton>(f, "Command1")->click();
    QTRY_VERIFY(!registry.find(QStringLiteral("fcubovendas")));
    QVERIFY(!registry.find(QStringLiteral("SaveForm")));
    QVERIFY(!registry.find(QStringLiteral("fexport")));
    QVERIFY(!registry.find(QStringLiteral("RankForm")));
    fcubovendas *again = m_fx->open();
    QCOMPARE(again->dataMarkers().Count(), 0);
}

void tst_fcubovendas::screenshot()
{
    fcubovendas *f = m_fx->open();
    DCube *cube = ctl<DCube>(f, "DCube1");
    cube->fields()->item(QStringLiteral("ds_loja"))->setOrientation(kq::platform::OrientRow);
    cube->fields()->item(QStringLiteral("DS_SITUACAO"))->setOrientation(kq::platform::OrientRow);
    cube->fields()
        ->item(QStringLiteral("datepart(\"yyyy\",DEVOLVIDOS.DT_DEPOSITO)"))
        ->setOrientation(kq::platform::OrientColumn);
    QVERIFY(cube->rebuild());
    f->resize(1000, 620);
    QCoreApplication::processEvents();
    QVERIFY(kq::test::shot(f, QStringLiteral("fcubovendas")));
    QVERIFY(!f->grab().isNull());
}

QTEST_MAIN(tst_fcubovendas)
#include "tst_fcubovendas.moc"
