#include "platform/cube/dcube.h"

#include <QtTest>

using namespace kq::platform;

class tst_cubemodel : public QObject
{
    Q_OBJECT
private slots:
    void fieldsMoveBetweenAreas();
};

void tst_cubemodel::fieldsMoveBetweenAreas()
{
    DCube cube;
    CubeField *a = cube.addField(QStringLiteral("a"), QStringLiteral("A"), OrientRow);
    CubeField *b = cube.addField(QStringLiteral("b"), QStringLiteral("B"), OrientRow);
    QCOMPARE(cube.rowFields()->count(), 2);
    b->setPosition(0);
    QCOMPARE(cube.rowFields()->itemByPosition(0), b);
    QCOMPARE(a->position(), 1);
    a->setOrientation(OrientColumn);
    QCOMPARE(cube.columnFields()->item(QStringLiteral("A")), a);
}

QTEST_MAIN(tst_cubemodel)
#include "tst_cubemodel.moc"
