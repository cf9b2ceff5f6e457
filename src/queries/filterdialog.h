#pragma once

#include "data/recordsource.h"
#include "platform/screen.h"

class QBoxLayout;
class QPushButton;
class QVBoxLayout;

namespace kq::platform {
class DBCombo;
class DTPicker;
} // namespace kq::platform

namespace kq::queries {

// Base of the filter dialogs of the query screens: blocks of fields, each
// with its own "Executar", and "&Sair". A filter rebinds the query screen's
// grid (loading the screen hidden when it is not loaded) and closes.
class FilterDialog : public kq::platform::Screen
{
    Q_OBJECT
public:
    FilterDialog(const QString &name, const QString &queryScreen, QWidget *parent = nullptr);

    // Gives the query screen's grid the record source, then closes; first
    // asks for a choice in a list whose typed text names several rows.
    void runFilter(const kq::data::RecordSource &source,
                   const QList<kq::platform::DBCombo *> &lists = {});

protected:
    // The data folder's "devolvidos.mdb", which the filters read.
    QString databasePath() const;
    // A new block (a framed row) of the dialog.
    QBoxLayout *addBlock();
    // A look-up list of the data folder's database, empty until chosen.
    kq::platform::DBCombo *addCombo(QBoxLayout *block, const QString &label, const QString &name,
                                    const QString &rowSource, const QString &listField,
                                    const QString &boundColumn);
    // A date field, today when the dialog loads.
    kq::platform::DTPicker *addDate(QBoxLayout *block, const QString &label, const QString &name);
    QPushButton *addButton(QBoxLayout *block, const QString &name, const QString &caption);
    void addLabelled(QBoxLayout *block, const QString &label, QWidget *field);

    QPushButton *Command3 = nullptr;

private:
    QString m_name;
    QString m_queryScreen;
    QVBoxLayout *m_layout = nullptr;
};

} // namespace kq::queries
