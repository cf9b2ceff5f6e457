#pragma once

#include <QString>

// Cheques for the cube screen tests, written to a prepared devolvidos.mdb.
namespace kq::test::cubescreen {

// Two states, three cities, two stores, situations "001" and "002", five
// cheques over 2025 and 2026 that enter the cube (sum of VL_CHEQUE 1000,
// of vl_atualizado 1100) and one whose document type does not exist.
void addCubeRows(const QString &db);

} // namespace kq::test::cubescreen
