#pragma once

// A small cube over the orders of the sample sales database: ship country on
// the rows, year and quarter on the columns, freight and order count as data.

#include "cube/engine/dcube.h"
#include "support/shell_nwind_fixture.h"

namespace kq::test::cubegrid {

// Fields in the order of adding: 0 Country (row), 1 Year (column),
// 2 sumFreight (data), 3 Quarter (column), 4 cntOrders (data, counts).
inline void buildOrdersCube(kq::platform::DCube &cube, const kq::test::NwindFolders &nwind)
{
    using namespace kq::platform;
    cube.setConnectType(5);
    cube.setConnect(nwind.connectText());
    cube.setRecordSource(QStringLiteral("orders"));
    cube.addField(QStringLiteral("ShipCountry"), QStringLiteral("Country"), OrientRow)
        ->setName(QStringLiteral("Country"));
    cube.addField(QStringLiteral("datepart('yyyy',OrderDate)"), QStringLiteral("Year"),
                  OrientColumn)
        ->setName(QStringLiteral("Year"));
    cube.addField(QStringLiteral("Freight"), QStringLiteral("Freight"), OrientData)
        ->setName(QStringLiteral("sumFreight"));
    cube.addField(QStringLiteral("datepart('q',OrderDate)"), QStringLiteral("Quarter"),
                  OrientColumn)
        ->setName(QStringLiteral("Quarter"));
    auto *count = cube.addField(QStringLiteral("OrderID"), QStringLiteral("Orders"), OrientData);
    count->setAggregate(AggCount);
    count->setName(QStringLiteral("cntOrders"));
    cube.rebuild();
}

} // namespace kq::test::cubegrid
