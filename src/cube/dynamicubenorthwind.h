#pragma once

#include <QPointer>
#include <QString>

namespace kq::platform {
class DCube;
class CubeField;
} // namespace kq::platform

namespace kq::cube {

// Two sample cubes over the Northwind sample database ("nwind.mdb"): product
// sales and freight analysis, with one fixed look.
class DynamiCubeNorthwind
{
public:
    void GetNorthwindProductSalesCube(kq::platform::DCube *dc, bool collapsedByDefault = false);
    void GetNorthwindFreightAnalysisCube(kq::platform::DCube *dc);
    // <parent of the program folder>/common/nwind.mdb, else /nwind.mdb, else
    // the development environment's folder (none here) + /nwind.mdb.
    QString GetNorthwindPath() const;
    void FormatCube(kq::platform::DCube *theCube);

    // 1 -> "1st", 2 -> "2nd", 3 -> "3rd", 11 -> "11th", 21 -> "21st".
    static QString GetOrdinal(int number);

private:
    void startCube(kq::platform::DCube *dc, const QString &recordSource);
    void finishCube();
    kq::platform::CubeField *addDataField(const QString &source, const QString &caption,
                                          bool calculated, const QString &format, int aggregate,
                                          const QString &name);
    void SetCalcFieldTotals(kq::platform::CubeField *calcField, const QString &expression);
    void FormatQuarterCaptions(const QString &fieldKey);
    void FormatMonthCaptions(const QString &fieldKey);
    QString GetInstallDir() const;

    QPointer<kq::platform::DCube> m_cube;
};

} // namespace kq::cube
