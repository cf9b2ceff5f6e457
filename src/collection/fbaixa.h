#pragma once

#include "platform/screen.h"

class QLabel;
class QPushButton;

namespace kq::platform {
class DTPicker;
}

namespace kq::collection {

// "Baixa de Titulos": writes off the instalment that was current in the
// selection list when the dialog opened.
class fbaixa : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit fbaixa(QWidget *parent = nullptr);

    // The instalment found on opening ("" when none was).
    QString acordo() const { return m_acordo; }
    QString parcela() const { return m_parcela; }

    QLabel *nr_documento = nullptr;
    kq::platform::DTPicker *dt_vencimento = nullptr;
    QLabel *vl_titulo = nullptr;
    kq::platform::DTPicker *dt_baixa = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

private:
    void locate();
    void Command1_Click(); // "Baixar e Sair"

    QString m_db;
    QString m_acordo;
    QString m_parcela;
};

} // namespace kq::collection
