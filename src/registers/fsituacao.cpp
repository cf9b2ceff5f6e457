#include "registers/fsituacao.h"

#include "core/errorinfo.h"

#include <QComboBox>
#include <QLineEdit>

namespace kq::registers {

namespace {
CodeTable table()
{
    CodeTable t;
    t.name = QStringLiteral("fsituacao");
    t.caption = QStringLiteral("Cadastro de Situações");
    t.captionOnLoad = false;
    t.keyField = QStringLiteral("CD_situacao");
    t.keyWidth = 3;
    t.descField = QStringLiteral("DS_situacao");
    t.codeBox = QStringLiteral("cd_situacao");
    t.descBox = QStringLiteral("ds_situacao");
    t.listSource = QStringLiteral("SELECT * FROM situacoes order by ds_situacao");
    t.dataSource = QStringLiteral("select * from  situacoes order by cd_situacao");
    t.questionField = QStringLiteral("DS_situacao");
    t.descColor = QColor(128, 255, 255);
    t.hint = QStringLiteral("Campo preenchido automáticamente na inclusão");
    t.buttons = kq::shell::RegisterScreen::ButtonOrder::IncludeFirst;
    return t;
}
} // namespace

fsituacao::fsituacao(QWidget *parent)
    : CodeTableScreen(table(), parent)
    , cd_situacao(codeBox())
    , ds_situacao(descBox())
{
    cd_acordo = addComboBox(QStringLiteral("Acordo :"), QStringLiteral("cd_acordo"), false, 2);
    cd_acordo->setMinimumWidth(90);
    setPatternTabOrder({ds_situacao, cd_situacao, cd_acordo});
    formLoad();
    cd_acordo->addItem(QStringLiteral("SIM"));
    cd_acordo->addItem(QStringLiteral("NÃO"));
    cd_acordo->setCurrentIndex(0);
}

kq::shell::FieldValues fsituacao::includeFields()
{
    kq::shell::FieldValues values = boundFields();
    values.append({QStringLiteral("CD_ACORDO"), QString::number(cd_acordo->currentIndex())});
    return values;
}

kq::shell::FieldValues fsituacao::alterFields()
{
    return includeFields();
}

void fsituacao::MostraRegistro()
{
    CodeTableScreen::MostraRegistro();
    step([this] {
        const QVariant flag = Data1.recordset().field(QStringLiteral("CD_ACORDO"));
        if (!flag.isValid() || flag.isNull())
            throw kq::platform::RuntimeError(94, QStringLiteral("Uso inválido de Null"),
                                             objectName());
        bool ok = false;
        const int index = flag.toString().trimmed().toInt(&ok);
        if (!ok)
            throw kq::platform::RuntimeError(13, QStringLiteral("Tipos incompatíveis"),
                                             objectName());
        if (index < 0 || index >= cd_acordo->count())
            throw kq::platform::RuntimeError(380, QStringLiteral("Valor de propriedade inválido"),
                                             objectName());
        cd_acordo->setCurrentIndex(index);
    });
}

} // namespace kq::registers
