#pragma once

#include "collection/rules/agreement.h"
#include "platform/screen.h"
#include "shell/rules/correction.h"

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kq::platform {
class DBList;
class GridEX;
class MaskEdBox;
} // namespace kq::platform

namespace kq::collection {

// "Cálculo de Acordos": prices the settlement of the follow-up screen's debtor
// at one store and saves it as an agreement with its instalments.
class facordo : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit facordo(QWidget *parent = nullptr);

    // The debtor of this screen: taken from the follow-up screen when the
    // screen opens (or at the first store choice when none was selected then),
    // and kept while the screen is open.
    QString debtor() const { return m_debtor; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool previewKey(QKeyEvent *event) override;

private:
    // The two forms of the shown instalment.
    enum class PlanForm {
        Store,     // after a store is chosen: "0.00"
        RateField, // after a plan field is left: the regional currency format
    };
    // What the plan shown was worked out from.
    struct PlanInputs
    {
        double total = 0;
        double honorarios = 0;
        QString count;
        QString rate;
        bool operator==(const PlanInputs &) const = default;
    };

    void buildControls();
    void buildGrid();
    void lookUpFactor();
    void CalculaAcordo();
    void calculateFor(const QString &storeCode);
    void showCalculation(const Calculation &calc);
    void computePlan(PlanForm form);
    std::optional<PlanInputs> planInputs() const;
    void countLeft();
    void Command2_Click(); // "Fazer Acordo"
    void saveAgreement();

    QString m_db;
    QString m_debtor;
    kq::shell::CorrectionTable m_table;
    // The reference month's factor shown (empty when there is none).
    std::optional<double> m_factor;

    // The calculation on screen, which a save turns into an agreement.
    struct State
    {
        bool valid = false;
        QString store;
        QVector<Cheque> cheques;
        QString savedCode; // set once this calculation is saved
    } m_state;
    // The figures shown: the last calculation and the plan worked out from it.
    std::optional<Calculation> m_calc;
    std::optional<Plan> m_plan;
    std::optional<PlanInputs> m_planInputs;

    QLabel *cd_cliente = nullptr;
    QLabel *cd_acordo = nullptr;
    kq::platform::DBList *ds_loja = nullptr;
    kq::platform::MaskEdBox *cd_ref = nullptr;
    QLabel *fator = nullptr;
    kq::platform::GridEX *GridEX1 = nullptr;
    QLabel *valoraberto = nullptr;
    QLabel *vl_juros = nullptr;
    QLabel *vl_multa = nullptr;
    QLabel *vl_honorarios = nullptr;
    QLabel *correcao = nullptr;
    QLabel *vl_total = nullptr;
    QLineEdit *nr_parcelas = nullptr;
    QLineEdit *vl_jurosparcelamento = nullptr;
    QLineEdit *vl_parcela = nullptr;
    QLineEdit *vl_financiado = nullptr;
    QLabel *vl_honorariosparcela = nullptr;
    kq::platform::MaskEdBox *dt_primeira = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;
};

} // namespace kq::collection
