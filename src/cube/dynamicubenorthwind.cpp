#include "cube/dynamicubenorthwind.h"

#include "cube/engine/dcube.h"
#include "core/errorinfo.h"
#include "core/paths.h"

#include <QFileInfo>
#include <QFont>
#include <QLocale>

namespace kq::cube {

using kq::platform::CubeField;
using kq::platform::DCube;

namespace {

constexpr int kAggregateCount = 1;
constexpr int kTotalExpression = 4;
constexpr int kMonthSetting = 2;
constexpr int kGrey = 0x808080; // RGB(128, 128, 128)
constexpr int kWhite = 0xFFFFFF;
constexpr int kButtonFace = int(0x8000000F);
constexpr int kWindowText = int(0x80000008);
constexpr int kInfoBackground = int(0x80000018);

const QString kMoney = QStringLiteral("$#,##0.00");
const QString kCount = QStringLiteral("#,##0");

bool fileExists(const QString &path)
{
    return QFileInfo(path).isFile();
}

} // namespace

QString DynamiCubeNorthwind::GetOrdinal(int number)
{
    const QString digits = QString::number(number);
    QString suffix = QStringLiteral("th");
    if (digits.size() == 2 && digits.at(0) == QLatin1Char('1')) {
        suffix = QStringLiteral("th");
    } else {
        switch (digits.back().unicode()) {
        case '1':
            suffix = QStringLiteral("st");
            break;
        case '2':
            suffix = QStringLiteral("nd");
            break;
        case '3':
            suffix = QStringLiteral("rd");
            break;
        default:
            break;
        }
    }
    return digits + suffix;
}

QString DynamiCubeNorthwind::GetInstallDir() const
{
    // The development environment records its folder in the Windows registry;
    // there is no such record here.
    return QString();
}

QString DynamiCubeNorthwind::GetNorthwindPath() const
{
    const QString folder = kq::platform::programFolder();
    const int cut = folder.lastIndexOf(QLatin1Char('/'));
    QString path = (cut < 0 ? QString() : folder.left(cut)) + QStringLiteral("/common/nwind.mdb");
    if (!fileExists(path))
        path = QStringLiteral("/nwind.mdb");
    if (!fileExists(path))
        path = GetInstallDir() + QStringLiteral("/nwind.mdb");
    return path;
}

void DynamiCubeNorthwind::FormatCube(DCube *theCube)
{
    if (!theCube)
        throw kq::platform::RuntimeError(91, QStringLiteral("Object variable or With block "
                                                            "variable not set"));
    const QFont font(QStringLiteral("MS Sans Serif"), 8);
    theCube->setBorderStyle(1);
    theCube->setRowStyle(1);
    theCube->setColStyle(1);
    theCube->setFooterCaption(QStringLiteral("- Page &P of  &PP -"));
    theCube->setFieldsBackColor(kGrey);
    theCube->setFieldsForeColor(kWhite);
    theCube->setFieldFont(font);
    theCube->setFilteredFieldsBackColor(theCube->cubeStyle().fieldsBackColor);
    theCube->setFilteredFieldsForeColor(theCube->cubeStyle().fieldsForeColor);
    QFont filtered = font;
    filtered.setItalic(!theCube->cubeStyle().fieldFont.italic());
    theCube->setFilteredFieldFont(filtered);
    theCube->setCubeBackColor(kButtonFace);
    theCube->setGridStyle(1);
    theCube->setGridColor(kGrey);
    theCube->setCubeFont(font);
    theCube->setHeadingsBackColor(kButtonFace);
    theCube->setHeadingsForeColor(kWindowText);
    theCube->setHeadingsFont(font);
    theCube->setTotalsBackColor(kInfoBackground);
    theCube->setTotalsForeColor(kWindowText);
    theCube->setTotalsFont(font);
}

void DynamiCubeNorthwind::startCube(DCube *dc, const QString &recordSource)
{
    m_cube = dc;
    if (!dc)
        throw kq::platform::RuntimeError(91, QStringLiteral("Object variable or With block "
                                                            "variable not set"));
    dc->removeAllFields();
    FormatCube(dc);
    dc->setAutoDataRefresh(false);
    dc->setConnectType(5);
    dc->setConnect(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=")
                   + GetNorthwindPath() + QStringLiteral(";"));
    dc->setRecordSource(recordSource);
}

CubeField *DynamiCubeNorthwind::addDataField(const QString &source, const QString &caption,
                                             bool calculated, const QString &format, int aggregate,
                                             const QString &name)
{
    CubeField *field = m_cube->addField(source, caption, kq::platform::OrientData);
    if (calculated) {
        field->setCalculated(true);
        field->setExpression(source);
    }
    field->setNumberFormat(format);
    if (aggregate != kq::platform::AggSum)
        field->setAggregate(aggregate);
    field->setName(name);
    return field;
}

void DynamiCubeNorthwind::finishCube()
{
    m_cube->rebuild();
    m_cube->setAutoDataRefresh(true);
    FormatQuarterCaptions(QStringLiteral("OrderQuarter"));
    FormatMonthCaptions(QStringLiteral("OrderMonth"));
}

void DynamiCubeNorthwind::GetNorthwindProductSalesCube(DCube *dc, bool collapsedByDefault)
{
    startCube(dc, QStringLiteral("SELECT Categories.CategoryName, Products.ProductID, "
                                 "Products.ProductName, [Order Details].[UnitPrice]*[Quantity]*"
                                 "(1-[Discount]) AS ProductSales, Orders.OrderDate ")
                      + QStringLiteral("FROM (Categories INNER JOIN Products ON "
                                       "Categories.CategoryID = Products.CategoryID) INNER JOIN "
                                       "(Orders INNER JOIN [Order Details] ON ")
                      + QStringLiteral("Orders.OrderID = [Order Details].OrderID) ON "
                                       "Products.ProductID = [Order Details].ProductID"));
    auto dimension
        = [&](const QString &source, const QString &caption, int orientation, const QString &name) {
              CubeField *field = dc->addField(source, caption, orientation);
              field->setName(name);
              return field;
          };
    dimension(QStringLiteral("Categories.CategoryName"), QStringLiteral("Category"),
              kq::platform::OrientRow, QStringLiteral("CatName"));
    dimension(QStringLiteral("Products.ProductName"), QStringLiteral("Product"),
              kq::platform::OrientRow, QStringLiteral("ProdName"));
    dimension(QStringLiteral("datepart('yyyy',Orders.OrderDate)"), QStringLiteral("Year"),
              kq::platform::OrientColumn, QStringLiteral("OrderYear"));
    dimension(QStringLiteral("datepart('q',Orders.OrderDate)"), QStringLiteral("Quarter"),
              kq::platform::OrientColumn, QStringLiteral("OrderQuarter"));
    dimension(QStringLiteral("datepart('m',Orders.OrderDate)"), QStringLiteral("Month"),
              kq::platform::OrientColumn, QStringLiteral("OrderMonth"))
        ->setOpaqueSetting(kMonthSetting);
    addDataField(QStringLiteral("ProductSales"), QStringLiteral("Sales"), false, kMoney,
                 kq::platform::AggSum, QStringLiteral("sumProductSales"));
    addDataField(QStringLiteral("Products.ProductID"), QStringLiteral("Product Count"), false,
                 kCount, kAggregateCount, QStringLiteral("cntProductID"));
    CubeField *calc
        = addDataField(QStringLiteral("sumProductSales/cntProductID"), QStringLiteral("$ Item"),
                       true, kMoney, kq::platform::AggSum, QStringLiteral("calcField"));
    SetCalcFieldTotals(calc, QStringLiteral("groupsum(sumProductSales)/groupsum(cntProductID)"));
    finishCube();
    if (collapsedByDefault) {
        for (int i = 0; i < dc->fields()->count(); ++i)
            dc->fields()->item(i)->setExpanded(false);
    }
}

void DynamiCubeNorthwind::GetNorthwindFreightAnalysisCube(DCube *dc)
{
    startCube(dc, QStringLiteral("orders"));
    auto dimension
        = [&](const QString &source, const QString &caption, int orientation, const QString &name) {
              CubeField *field = dc->addField(source, caption, orientation);
              field->setName(name);
              return field;
          };
    dimension(QStringLiteral("datepart('m',OrderDate)"), QStringLiteral("Order Month"),
              kq::platform::OrientRow, QStringLiteral("OrderMonth"))
        ->setOpaqueSetting(kMonthSetting);
    dimension(QStringLiteral("datepart('yyyy',OrderDate)"), QStringLiteral("Order Year"),
              kq::platform::OrientPage, QStringLiteral("OrderYear"));
    dimension(QStringLiteral("datepart('q',OrderDate)"), QStringLiteral("Order Quarter"),
              kq::platform::OrientPage, QStringLiteral("OrderQuarter"));
    dimension(QStringLiteral("ShipCountry"), QStringLiteral("Ship Country"),
              kq::platform::OrientPage, QStringLiteral("ShipCountry"));
    addDataField(QStringLiteral("Freight"), QStringLiteral("Freight"), false, kMoney,
                 kq::platform::AggSum, QStringLiteral("sumFreight"));
    addDataField(QStringLiteral("OrderID"), QStringLiteral("Orders"), false, kCount,
                 kAggregateCount, QStringLiteral("cntOrders"));
    CubeField *calc
        = addDataField(QStringLiteral("sumFreight/cntOrders"), QStringLiteral("Avg. Freight"), true,
                       kMoney, kq::platform::AggSum, QStringLiteral("calcField"));
    SetCalcFieldTotals(calc, QStringLiteral("groupsum(sumFreight)/groupsum(cntOrders)"));
    finishCube();
}

void DynamiCubeNorthwind::SetCalcFieldTotals(CubeField *calcField, const QString &expression)
{
    for (CubeField *field : m_cube->fields()->all()) {
        if (field->orientation() != kq::platform::OrientData)
            field->setTotalExpression(calcField->name(), kTotalExpression, expression);
    }
}

void DynamiCubeNorthwind::FormatQuarterCaptions(const QString &fieldKey)
{
    CubeField *field = m_cube->fields()->item(fieldKey);
    if (!field)
        return;
    for (auto *item : field->dataItems()->all())
        item->setCaption(GetOrdinal(item->value().toShort()) + QStringLiteral(" Quarter"));
}

void DynamiCubeNorthwind::FormatMonthCaptions(const QString &fieldKey)
{
    CubeField *field = m_cube->fields()->item(fieldKey);
    if (!field)
        return;
    const QLocale locale;
    for (auto *item : field->dataItems()->all())
        item->setCaption(locale.monthName(item->value().toInt(), QLocale::LongFormat));
}

} // namespace kq::cube
