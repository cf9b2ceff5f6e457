#include "shell/fmostralog.h"

#include "platform/dialogs.h"
#include "core/paths.h"
#include "shell/services/appstate.h"
#include "shell/services/procedures.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextCursor>
#include <QVBoxLayout>

namespace kq::shell {

using kq::platform::Dialogs;

QStringList delimitedItems(const QString &text)
{
    QStringList items;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto atLineEnd = [&](qsizetype p) {
        return p >= n || text.at(p) == QLatin1Char('\n') || text.at(p) == QLatin1Char('\r');
    };
    auto skipLineEnd = [&] {
        if (i < n && text.at(i) == QLatin1Char('\r'))
            ++i;
        if (i < n && text.at(i) == QLatin1Char('\n'))
            ++i;
    };
    while (i < n) {
        while (i < n && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
            ++i;
        QString item;
        if (i < n && text.at(i) == QLatin1Char('"')) {
            const qsizetype close = text.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype end = close < 0 ? n : close;
            item = text.mid(i + 1, end - i - 1);
            i = close < 0 ? n : close + 1;
            // What follows the closing quote up to the delimiter is dropped.
            while (!atLineEnd(i) && text.at(i) != QLatin1Char(','))
                ++i;
        } else {
            const qsizetype start = i;
            while (!atLineEnd(i) && text.at(i) != QLatin1Char(','))
                ++i;
            item = text.mid(start, i - start);
        }
        items << item;
        if (i < n && text.at(i) == QLatin1Char(','))
            ++i;
        else
            skipLineEnd();
    }
    return items;
}

bool isUserLogFile(const QString &fileName, const QString &codigoUsuario)
{
    const QRegularExpression pattern(
        QStringLiteral("^VAN%1[0-9]{6}\\.log$").arg(QRegularExpression::escape(codigoUsuario)));
    return pattern.match(fileName).hasMatch();
}

fmostralog::fmostralog(QWidget *parent)
    : Screen(QStringLiteral("fmostralog"), parent)
{
    buildControls();
    Form_Load();
}

void fmostralog::buildControls()
{
    setWindowTitle(QStringLiteral("Log de Operação"));
    setGradient(true);
    setTwipsSize(10800, 6900);

    diretorio = new QListWidget(this);
    diretorio->setObjectName(QStringLiteral("diretorio"));
    diretorio->setAccessibleName(QStringLiteral("diretorio"));
    diretorio->setMaximumWidth(200);
    historico = new QPlainTextEdit(this);
    historico->setObjectName(QStringLiteral("historico"));
    historico->setAccessibleName(QStringLiteral("historico"));
    historico->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto *opcoes = new QGroupBox(QStringLiteral("Opções"), this);
    opcoes->setObjectName(QStringLiteral("Frame1"));
    opcoes->setAutoFillBackground(true);
    Command1 = new QPushButton(QStringLiteral("Ler Arquivo Usuário"), opcoes);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("Zerar Arquivo Log"), opcoes);
    Command2->setObjectName(QStringLiteral("Command2"));
    IMPRIMIR = new QPushButton(QStringLiteral("&IMPRIMIR"), opcoes);
    IMPRIMIR->setObjectName(QStringLiteral("IMPRIMIR"));
    SAIR = new QPushButton(QStringLiteral("&SAIR"), opcoes);
    SAIR->setObjectName(QStringLiteral("SAIR"));
    auto *ol = new QHBoxLayout(opcoes);
    for (QPushButton *b : {Command1, Command2, IMPRIMIR, SAIR})
        ol->addWidget(b);

    auto *top = new QHBoxLayout;
    top->addWidget(diretorio);
    top->addWidget(historico, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(opcoes);

    connectTrapped(Command1, &QPushButton::clicked, &fmostralog::Command1_Click);
    connectTrapped(Command2, &QPushButton::clicked, &fmostralog::Command2_Click);
    connectTrapped(SAIR, &QPushButton::clicked, &fmostralog::SAIR_Click);
}

void fmostralog::Form_Load()
{
    const QString codigo = codigoUser();
    const QStringList all = QDir(kq::platform::programFolder()).entryList(QDir::Files, QDir::Name);
    for (const QString &name : all)
        if (isUserLogFile(name, codigo))
            diretorio->addItem(name);
    diretorio->setCurrentRow(-1);
}

QString fmostralog::chosenFile()
{
    QListWidgetItem *item = diretorio->currentItem();
    if (!item || !item->isSelected()) {
        Dialogs::message(QStringLiteral("Escolha um arquivo de log na lista."));
        return QString();
    }
    return kq::platform::programFile(item->text());
}

void fmostralog::LerArquivo(const QString &arquivo)
{
    QFile file(arquivo);
    if (!file.exists()) {
        Dialogs::message(
            QStringLiteral("O arquivo %1 não existe mais.").arg(QDir::toNativeSeparators(arquivo)),
            QString(), kq::platform::Buttons::Ok, kq::platform::Icon::Warning);
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        Dialogs::message(QStringLiteral("Não foi possível ler o arquivo %1: %2")
                             .arg(QDir::toNativeSeparators(arquivo), file.errorString()),
                         QString(), kq::platform::Buttons::Ok, kq::platform::Icon::Warning);
        return;
    }
    const QStringList items = delimitedItems(QString::fromUtf8(file.readAll()));
    if (items.isEmpty())
        return;
    QTextCursor cursor(historico->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(items.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    historico->setTextCursor(cursor);
    historico->ensureCursorVisible();
}

void fmostralog::Command1_Click()
{
    const QString path = chosenFile();
    if (!path.isEmpty())
        LerArquivo(path);
}

void fmostralog::Command2_Click()
{
    const QString path = chosenFile();
    if (path.isEmpty())
        return;
    if (!Dialogs::confirmDelete(
            QStringLiteral("Tem certesa que quer realmente excluir esse arquivo? :"))) {
        GravarLog(QStringLiteral("DESISTIU DE ZERAR O ARQUIVO DE LOG!!!!!"), usuarioLogado());
        return;
    }
    QFile file(path);
    if (!file.remove()) {
        Dialogs::message(QStringLiteral("Não foi possível excluir o arquivo %1: %2")
                             .arg(diretorio->currentItem()->text(), file.errorString()),
                         QString(), kq::platform::Buttons::Ok, kq::platform::Icon::Warning);
        return;
    }
    GravarLog(QStringLiteral("ZEROU ARQUIVO DE LOG!!!!!"), usuarioLogado());
    Dialogs::message(QStringLiteral("ARQUIVO ZERADO"));
}

void fmostralog::SAIR_Click()
{
    close();
}

} // namespace kq::shell
