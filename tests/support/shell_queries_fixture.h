#pragma once

#include <QString>

// A small portfolio for the query screens, written straight to a prepared
// devolvidos.mdb:
//   stores  001 "LOJA CENTRO" (red), 002 "LOJA NORTE" (blue);
//   debtors 00001 "ANA LIMA", 00002 "BRUNO COSTA", 00003 "CARLA DIAS";
//   cheques (key, debtor, store, deposit, value, issuer, document):
//     0000000001 00001 001 2026-01-10 100 ZECA  "123.456"  agreement 00001
//     0000000002 00002 001 2026-01-31 200 ALFA  "123'9"
//     0000000003 00002 002 2026-02-01 300 BETA  "50%_x"
//     0000000004 00003 002 2026-02-15 400 GAMA  Null
//     0000000005 00001 001 2026-03-01 500 DELTA ""         agreement 00001
//     0000000006 00001 009 2026-01-15 600 OMEGA "1"        (store 009 missing)
//     0000000007 00003 002 2026-02-20 700 EPSILON "50X"
//   agreements 00001 (00001, 001, 3 x 150 from 2026-04-10, instalment 02
//   written off) and 00002 (00002, 002, 2 x 80 from 2026-05-05).
namespace kq::test::queries {

void addPortfolio(const QString &db);

} // namespace kq::test::queries
