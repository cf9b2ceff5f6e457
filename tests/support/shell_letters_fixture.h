#pragma once

#include <QString>

class QWidget;

namespace kq::test {

// Shows the follow-up screen with that debtor on its current row.
void followUpDebtor(const QString &debtor);
// Opens the collection-letter screen as the follow-up's
// "&Imprimir carta Vantesca" does; returns it.
QWidget *openLetterScreen();

} // namespace kq::test
