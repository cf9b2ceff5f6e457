#include "support/cubefixture.h"

#include "data/database.h"
#include "cube/engine/cubeview.h"
#include "cube/engine/dcube.h"

#include <QListWidget>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QtTest>

using namespace kq::platform;

class tst_dcube : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void paintsAPivot();
    void dragsFieldsBetweenAreas_data();
    void dragsFieldsBetweenAreas();
    void filterPopup();
    void expandBoxes();
    void selectionAndMouseSignals();
    void hitRecords();
    void pageStripWrapsEveryField_data();
    void pageStripWrapsEveryField();
    void columnWidthDrag();
    void refreshRunsFormatHandlers();
    void keyboard();
    void printsPages();
    void printPreviewWindow();
    void paintsOnlyVisibleCells();

private:
    QWidget *vp() const { return m_cube->view()->viewport(); }
    void send(QEvent::Type type, const QPoint &pos, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers mods = Qt::NoModifier);
    QTemporaryDir m_dir;
    QString m_db;
    DCube *m_cube = nullptr;
};

void tst_dcube::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    m_db = cubetest::makeFixture(m_dir.path());
}

void tst_dcube::cleanupTestCase()
{
    kq::data::closeAllDatabases();
}

void tst_dcube::init()
{
    m_cube = new DCube;
    m_cube->resize(900, 420);
    cubetest::defineCube(*m_cube->model(), m_db);
    m_cube->fields()->item(QStringLiteral("ds_loja"))->setOrientation(OrientRow);
    m_cube->fields()->item(QStringLiteral("DS_ESTADO"))->setOrientation(OrientRow);
    m_cube->fields()->item(QStringLiteral("Ano"))->setOrientation(OrientColumn);
    m_cube->setHeaderCaption(QStringLiteral("Gerador de Relatórios"));
    m_cube->setFooterCaption(QStringLiteral("- Page &P of  &PP -"));
    QVERIFY(m_cube->rebuild());
    m_cube->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_cube));
}

void tst_dcube::cleanup()
{
    delete m_cube;
    m_cube = nullptr;
}

void tst_dcube::send(QEvent::Type type, const QPoint &pos, Qt::MouseButtons buttons,
                     Qt::KeyboardModifiers mods)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(pos), vp()->mapToGlobal(QPointF(pos)), button, buttons, mods);
    QApplication::sendEvent(vp(), &e);
}

void tst_dcube::paintsAPivot()
{
    // Markers colour some cells, as the cube screen's handler does.
    connect(m_cube, &DCube::formatCell, this, [](CubeCell *c) {
        if (!c->empty && c->value == 200) {
            c->backColor = 0xFFFFFF;
            c->foreColor = 255;
        }
    });
    m_cube->fields()->item(QStringLiteral("Trimestre"))->dataItems()->item(0)->setIncluded(false);
    m_cube->setCurrentCell(1, 2);
    m_cube->setSelectionCorner(2, 3);
    m_cube->refresh();
    const QImage shot = m_cube->grab().toImage();
    const QString png = QDir::temp().filePath(QStringLiteral("kq-dcube.png"));
    QVERIFY(shot.save(png));
    qInfo("screenshot: %s", qPrintable(png));
    // The marked cell (Loja Norte / SP / 2023 / Valor) is painted in red.
    QCOMPARE(m_cube->cellValue(1, 0).toDouble(), 200.0);
    const QRect r = m_cube->view()->cellRect(1, 0).translated(m_cube->view()->viewport()->pos());
    bool red = false;
    for (int x = r.left(); x < r.right() && !red; ++x)
        for (int y = r.top(); y < r.bottom() && !red; ++y)
            red = shot.pixelColor(x, y).red() > 180 && shot.pixelColor(x, y).green() < 90;
    QVERIFY(red);
}

void tst_dcube::dragsFieldsBetweenAreas_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("target"); // page, column, row
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("position");
    QTest::newRow("page to rows, first") << "Trimestre"
                                         << "row-first" << int(OrientRow) << 0;
    QTest::newRow("page to columns, last") << "Trimestre"
                                           << "column-end" << int(OrientColumn) << 1;
    QTest::newRow("row to page") << "DS_ESTADO"
                                 << "page" << int(OrientPage) << 2;
    QTest::newRow("column to rows, last") << "Ano"
                                          << "row-end" << int(OrientRow) << 2;
}

void tst_dcube::dragsFieldsBetweenAreas()
{
    QFETCH(QString, field);
    QFETCH(QString, target);
    QFETCH(int, orientation);
    QFETCH(int, position);
    CubeView *view = m_cube->view();
    CubeField *f = m_cube->fields()->item(field);
    const QPoint from = view->fieldButtonRect(f).center() - QPoint(8, 0);
    QPoint to;
    if (target == u"page")
        to = QPoint(view->pageAreaRect().right() - 5, view->pageAreaRect().center().y());
    else if (target == u"column-end")
        to = QPoint(view->columnAreaRect().right() - 5, view->columnAreaRect().center().y());
    else if (target == u"row-first")
        to = view->rowAreaRect().topLeft() + QPoint(3, 5);
    else
        to = QPoint(view->rowAreaRect().right() - 2, view->rowAreaRect().center().y());
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseMove, from + QPoint(10, 10), Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::NoButton);
    QCOMPARE(f->orientation(), orientation);
    QCOMPARE(f->position(), position);
    // A press and release without moving changes nothing.
    const QPoint again = view->fieldButtonRect(f).center() - QPoint(8, 0);
    send(QEvent::MouseButtonPress, again, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, again, Qt::NoButton);
    QCOMPARE(f->orientation(), orientation);
}

void tst_dcube::filterPopup()
{
    CubeField *estado = m_cube->fields()->item(QStringLiteral("DS_ESTADO"));
    const QRect button = m_cube->view()->fieldButtonRect(estado);
    send(QEvent::MouseButtonPress, QPoint(button.right() - 3, button.center().y()), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, QPoint(button.right() - 3, button.center().y()), Qt::NoButton);
    QWidget *popup = m_cube->view()->findChild<QWidget *>(QStringLiteral("cubeFilterPopup"));
    QVERIFY(popup);
    auto *list = popup->findChild<QListWidget *>(QStringLiteral("cubeFilterList"));
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("RJ"));
    list->item(0)->setCheckState(Qt::Unchecked);
    popup->findChild<QPushButton *>(QStringLiteral("cubeFilterOk"))->click();
    QVERIFY(estado->filtered());
    QCOMPARE(m_cube->cellValue(m_cube->rowCount() - 1, m_cube->columnCount() - 2).toDouble(),
             600.0); // grand total of Valor without RJ
    // Cancel leaves the filter as it was.
    QWidget *again = m_cube->showFilterPopup(estado);
    auto *list2 = again->findChild<QListWidget *>(QStringLiteral("cubeFilterList"));
    QCOMPARE(list2->item(0)->checkState(), Qt::Unchecked);
    list2->item(0)->setCheckState(Qt::Checked);
    again->findChild<QPushButton *>(QStringLiteral("cubeFilterCancel"))->click();
    QVERIFY(estado->filtered());
    QVERIFY(!m_cube->showFilterPopup(m_cube->dataFields()->item(0)));
}

void tst_dcube::expandBoxes()
{
    CubeView *view = m_cube->view();
    QCOMPARE(m_cube->rowCount(), 7);
    const QRect box = view->expandBoxRect(true, 0, 0);
    QVERIFY(box.isValid());
    send(QEvent::MouseButtonPress, box.center(), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, box.center(), Qt::NoButton);
    QCOMPARE(m_cube->rowCount(), 5);
    QVERIFY(!m_cube->rowHeadingExpanded(0, 0));
    // Innermost level: no box.
    QVERIFY(view->expandBoxRect(true, 1, 1).isNull());
    const QRect again = view->expandBoxRect(true, 0, 0);
    send(QEvent::MouseButtonPress, again.center(), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, again.center(), Qt::NoButton);
    QCOMPARE(m_cube->rowCount(), 7);
}

void tst_dcube::selectionAndMouseSignals()
{
    CubeView *view = m_cube->view();
    QSignalSpy pressed(m_cube, &DCube::mousePressed);
    QSignalSpy released(m_cube, &DCube::mouseReleased);
    QSignalSpy dbl(m_cube, &DCube::doubleClicked);
    CubeHitRecord seen;
    connect(m_cube, &DCube::mousePressed, this, [&] { seen = m_cube->lastHit(); });
    send(QEvent::MouseButtonPress, view->cellRect(1, 2).center(), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, view->cellRect(1, 2).center(), Qt::NoButton);
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(released.count(), 1);
    QCOMPARE(pressed.at(0).at(0).toInt(), 1);
    QCOMPARE(seen.area, int(HitDataCells));
    QCOMPARE(seen.row, 1);
    QCOMPARE(seen.column, 2);
    QCOMPARE(m_cube->currentRow(), 1);
    QCOMPARE(m_cube->currentColumn(), 2);
    send(QEvent::MouseButtonPress, view->cellRect(4, 5).center(), Qt::LeftButton,
         Qt::ShiftModifier);
    send(QEvent::MouseButtonRelease, view->cellRect(4, 5).center(), Qt::NoButton);
    QCOMPARE(pressed.at(1).at(1).toInt(), 1); // Shift
    QCOMPARE(m_cube->rowCorners(), std::make_pair(1, 4));
    QCOMPARE(m_cube->columnCorners(), std::make_pair(2, 5));
    // Dragging over cells moves the opposite corner.
    send(QEvent::MouseButtonPress, view->cellRect(0, 0).center(), Qt::LeftButton);
    send(QEvent::MouseMove, view->cellRect(2, 1).center(), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, view->cellRect(2, 1).center(), Qt::NoButton);
    QCOMPARE(m_cube->rowCorners(), std::make_pair(0, 2));
    QTest::mouseDClick(vp(), Qt::LeftButton, {}, view->cellRect(0, 0).center());
    QCOMPARE(dbl.count(), 1);
}

void tst_dcube::hitRecords()
{
    CubeView *view = m_cube->view();
    const QPoint offset = vp()->pos();
    auto hit = [&](const QPoint &p) {
        return m_cube->hitTest(p + offset);
    };
    CubeField *ano = m_cube->fields()->item(QStringLiteral("Ano"));
    CubeField *estado = m_cube->fields()->item(QStringLiteral("DS_ESTADO"));
    CubeField *tri = m_cube->fields()->item(QStringLiteral("Trimestre"));
    CubeHitRecord h = hit(view->fieldButtonRect(ano).center());
    QCOMPARE(h.area, int(HitColumnFieldArea));
    QCOMPARE(h.column, 0);
    QCOMPARE(h.headingField, ano);
    h = hit(view->fieldButtonRect(estado).center());
    QCOMPARE(h.area, int(HitRowFieldArea));
    QCOMPARE(h.row, 1);
    h = hit(view->fieldButtonRect(tri).center());
    QCOMPARE(h.area, int(HitPageFieldArea));
    QCOMPARE(h.column, tri->position());
    h = hit(view->columnHeadingRect(3, 1).center());
    QCOMPARE(h.area, int(HitColumnHeadings));
    QCOMPARE(h.column, 3);
    QCOMPARE(h.headingField, ano);
    h = hit(view->columnHeadingRect(3, 2).center()); // data-caption level
    QCOMPARE(h.area, int(HitColumnHeadings));
    QVERIFY(!h.headingField);
    h = hit(view->rowHeadingRect(4, 2).center());
    QCOMPARE(h.area, int(HitRowHeadings));
    QCOMPARE(h.row, 4);
    QCOMPARE(h.headingField, estado);
    h = hit(view->cellRect(2, 1).center());
    QCOMPARE(h.area, int(HitDataCells));
    QCOMPARE(std::make_pair(h.row, h.column), std::make_pair(2, 1));
}

void tst_dcube::pageStripWrapsEveryField_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("narrow") << 260;
    QTest::newRow("default") << 900;
}

// Every page field can be reached, however narrow the cube: its button lies
// inside the view, apart from the others, and a click there finds it.
void tst_dcube::pageStripWrapsEveryField()
{
    QFETCH(int, width);
    for (const char *name : {"ds_loja", "DS_ESTADO", "Ano"})
        m_cube->fields()->item(QString::fromLatin1(name))->setOrientation(OrientPage);
    QVERIFY(m_cube->rebuild());
    m_cube->resize(width, 420);
    CubeView *view = m_cube->view();
    const QList<CubeField *> pages = m_cube->pageFields()->byPosition();
    QVERIFY(pages.size() >= 5);
    QList<QRect> seen;
    for (CubeField *f : pages) {
        const QRect r = view->fieldButtonRect(f);
        QVERIFY2(vp()->rect().contains(r) || r.width() > vp()->width() - 8, qPrintable(f->name()));
        QVERIFY(view->pageAreaRect().contains(r));
        for (const QRect &other : seen)
            QVERIFY(!other.intersects(r));
        seen << r;
        const CubeHitRecord h = m_cube->hitTest(r.center() + vp()->pos());
        QCOMPARE(h.area, int(HitPageFieldArea));
        QCOMPARE(h.headingField, f);
    }
    // The column strip starts below the last line of page fields.
    QVERIFY(view->columnAreaRect().top() >= view->pageAreaRect().bottom());
}

void tst_dcube::columnWidthDrag()
{
    CubeView *view = m_cube->view();
    CubeField *valor = m_cube->dataFieldOfColumn(0);
    const float before = valor->width();
    const QRect head = view->columnHeadingRect(0, 2);
    const QPoint edge(head.right() + 1, head.center().y());
    QCOMPARE(view->resizeFieldAt(edge), valor);
    const int layouts = m_cube->model()->layoutCount();
    send(QEvent::MouseButtonPress, edge, Qt::LeftButton);
    send(QEvent::MouseMove, edge + QPoint(40, 0), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, edge + QPoint(40, 0), Qt::NoButton);
    QCOMPARE(valor->width(), before + 40);
    QCOMPARE(view->columnHeadingRect(0, 2).width(), head.width() + 40);
    QCOMPARE(m_cube->model()->layoutCount(), layouts); // no new layout for a width
    // Several changes lay the shown cube out once, when next asked.
    m_cube->fields()->item(QStringLiteral("Trimestre"))->setOrientation(OrientColumn);
    m_cube->fields()->item(QStringLiteral("Trimestre"))->setPosition(0);
    m_cube->fields()->item(QStringLiteral("ds_loja"))->setLabelDescending(1);
    QCOMPARE(m_cube->model()->layoutCount(), layouts);
    QCOMPARE(m_cube->rowHeading(0, 1).text, QStringLiteral("Loja Sul"));
    QCOMPARE(m_cube->model()->layoutCount(), layouts + 1);
    // A row field's edge sets its width.
    CubeField *loja = m_cube->rowFields()->itemByPosition(0);
    const QRect b = view->fieldButtonRect(loja);
    const QPoint rowEdge(b.right() + 2, b.center().y());
    QCOMPARE(view->resizeFieldAt(rowEdge), loja);
    send(QEvent::MouseButtonPress, rowEdge, Qt::LeftButton);
    send(QEvent::MouseMove, rowEdge - QPoint(30, 0), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, rowEdge - QPoint(30, 0), Qt::NoButton);
    QCOMPARE(loja->width(), 70.0f);
    QCOMPARE(loja->orientation(), int(OrientRow));
}

void tst_dcube::refreshRunsFormatHandlers()
{
    int calls = 0;
    QSet<int> numbers;
    connect(m_cube, &DCube::formatCell, this, [&](CubeCell *c) {
        ++calls;
        numbers.insert(c->dataFieldNumber);
    });
    m_cube->refresh();
    QVERIFY(calls >= m_cube->rowCount() * m_cube->columnCount());
    QVERIFY(numbers.contains(1) && numbers.contains(2) && numbers.contains(-1));
    const int before = calls;
    m_cube->view()->viewport()->repaint(); // cached: no new calls
    QCOMPARE(calls, before);
    m_cube->refresh();
    QVERIFY(calls > before);
}

void tst_dcube::keyboard()
{
    m_cube->setCurrentCell(0, 0);
    QTest::keyClick(m_cube->view(), Qt::Key_Down);
    QTest::keyClick(m_cube->view(), Qt::Key_Right);
    QCOMPARE(m_cube->currentRow(), 1);
    QCOMPARE(m_cube->currentColumn(), 1);
    QTest::keyClick(m_cube->view(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(m_cube->rowCorners(), std::make_pair(1, 2));
    QTest::keyClick(m_cube->view(), Qt::Key_End);
    QCOMPARE(m_cube->currentRow(), m_cube->rowCount() - 1);
}

void tst_dcube::printsPages()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = m_dir.filePath(QStringLiteral("cubo.pdf"));
    printer.setOutputFileName(pdf);
    printer.setPageOrientation(QPageLayout::Landscape);
    QCOMPARE(m_cube->pageCount(&printer), 1);
    QVERIFY(m_cube->print(&printer));
    QVERIFY(QFileInfo(pdf).size() > 1000);
    // A long cube paginates down, a wide one across.
    m_cube->fields()->item(QStringLiteral("DT_DEPOSITO"))->setOrientation(OrientColumn);
    m_cube->fields()->item(QStringLiteral("DT_DEPOSITO"))->setPosition(0);
    QVERIFY(m_cube->pageCount(&printer) > 1);
}

void tst_dcube::printPreviewWindow()
{
    QPointer<QPrintPreviewDialog> preview = m_cube->printPreview();
    QVERIFY(preview);
    QVERIFY(preview->isVisible());
    QCOMPARE(preview->windowTitle(), QStringLiteral("Print Preview"));
    preview->resize(900, 700);
    QTest::qWait(50);
    const QString png = QDir::temp().filePath(QStringLiteral("kq-dcube-preview.png"));
    QVERIFY(preview->grab().save(png));
    qInfo("preview: %s", qPrintable(png));
    preview->close();
    QTRY_VERIFY(!preview);
}

void tst_dcube::paintsOnlyVisibleCells()
{
    m_cube->fields()->item(QStringLiteral("DT_DEPOSITO"))->setOrientation(OrientRow);
    m_cube->fields()->item(QStringLiteral("Trimestre"))->setOrientation(OrientRow);
    m_cube->view()->viewport()->repaint();
    QVERIFY(m_cube->view()->lastPaintedCells() > 0);
    QVERIFY(m_cube->view()->lastPaintedCells() <= 20 * m_cube->columnCount());
}

QTEST_MAIN(tst_dcube)
#include "tst_dcube.moc"
