#include "shell/ftutorial.h"

#include "data/datafolder.h"
#include "platform/dialogs.h"
#include "platform/grid/gridex.h"
#include "shell/services/appstate.h"
#include "shell/services/procedures.h"

#include <QAudioOutput>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaPlayer>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QVideoWidget>

namespace kq::shell {

using kq::platform::Dialogs;

QString caminhoVideo(const QString &dataFolder, const QString &link)
{
    QString relative = link;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return dataFolder + QLatin1Char('/') + relative;
}

ftutorial::ftutorial(QWidget *parent)
    : Screen(QStringLiteral("ftutorial"), parent)
{
    buildControls();
    Form_Load();
}

void ftutorial::buildControls()
{
    setWindowTitle(QStringLiteral("Tutorial do Sistema"));
    setGradient(true);
    setTwipsSize(13500, 8400);

    GridEX1 = new kq::platform::GridEX(this);
    GridEX1->setObjectName(QStringLiteral("GridEX1"));
    GridEX1->addColumn(QStringLiteral("CD_SISTEMA"), QStringLiteral("Sigla"), 60);
    GridEX1->addColumn(QStringLiteral("DS_MODULO"), QStringLiteral("Módulo"), 160);
    GridEX1->addColumn(QStringLiteral("DS_LINK"), QStringLiteral("LINK"), 140);
    GridEX1->addColumn(QStringLiteral("DS_SISTEMA"), QStringLiteral("Sistema"), 120);
    GridEX1->addColumn(QStringLiteral("cd_sequencial"), QStringLiteral("sequencial"), 60)
        .setVisible(false);
    GridEX1->setDesignGroups({1});
    GridEX1->groupBy(1, kq::platform::SortOrder::Ascending);
    GridEX1->setGroupByBoxVisible(false);
    GridEX1->setTotalRowVisible(false);
    GridEX1->setMultiSelect(false);

    auto *tela = new QFrame(this);
    tela->setObjectName(QStringLiteral("tela"));
    tela->setStyleSheet(QStringLiteral("#tela { background: black; }"));
    tela->setFrameShape(QFrame::Box);
    video = new QVideoWidget(tela);
    video->setObjectName(QStringLiteral("video"));
    video->setAccessibleName(QStringLiteral("video"));
    video->setMinimumSize(320, 240);
    auto *tl = new QVBoxLayout(tela);
    tl->setContentsMargins(0, 0, 0, 0);
    tl->addWidget(video);
    player = new QMediaPlayer(this);
    m_audio = new QAudioOutput(this);
    player->setAudioOutput(m_audio);
    player->setVideoOutput(video);

    cmdPausar = new QPushButton(QStringLiteral("Reproduzir / Pausar"), this);
    cmdPausar->setObjectName(QStringLiteral("cmdPausar"));
    cmdParar = new QPushButton(QStringLiteral("Parar"), this);
    cmdParar->setObjectName(QStringLiteral("cmdParar"));

    Label1 = new QLabel(QStringLiteral("Assista os videos de cada módulo abaixo clicando duas "
                                       "vezes sobre o módulo desejado"),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));
    Label1->setWordWrap(true);

    auto *emails = new QGroupBox(QStringLiteral("Emails Importantes"), this);
    emails->setObjectName(QStringLiteral("Frame2"));
    emails->setAutoFillBackground(true);
    auto *el = new QVBoxLayout(emails);
    el->addWidget(new QLabel(QStringLiteral("Dúvidas sobre o sistema: fale com o responsável "
                                            "pelo sistema no seu escritório."),
                             emails));
    el->addWidget(new QLabel(QStringLiteral("Sugestões e problemas: registre-os com o "
                                            "suporte do kq-730."),
                             emails));

    Command1 = new QPushButton(QStringLiteral("&Sair"), this);
    Command1->setObjectName(QStringLiteral("Command1"));

    auto *controls = new QHBoxLayout;
    controls->addWidget(cmdPausar);
    controls->addWidget(cmdParar);
    controls->addStretch();
    auto *right = new QVBoxLayout;
    right->addWidget(tela, 1);
    right->addLayout(controls);
    auto *middle = new QHBoxLayout;
    middle->addWidget(GridEX1, 1);
    middle->addLayout(right, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(emails, 1);
    bottom->addWidget(Command1, 0, Qt::AlignBottom);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);

    connectTrapped(GridEX1, &kq::platform::GridEX::rowChanged, &ftutorial::GridEX1_RowChange);
    connectTrapped(Command1, &QPushButton::clicked, &ftutorial::Command1_Click);
    connectTrapped(cmdPausar, &QPushButton::clicked, [this] {
        if (player->playbackState() == QMediaPlayer::PlayingState)
            player->pause();
        else if (!player->source().isEmpty())
            player->play();
    });
    connectTrapped(cmdParar, &QPushButton::clicked, [this] { player->stop(); });
    connectTrapped(player, &QMediaPlayer::errorOccurred, [this] { playerError(); });
}

void ftutorial::Form_Load()
{
    const QString db = dataPath(kq::data::kTutorial);
    if (!QFileInfo(db).isFile()) {
        Dialogs::message(QStringLiteral("Banco de dados dos tutoriais não encontrado: %1")
                             .arg(QDir::toNativeSeparators(db)),
                         QString(), kq::platform::Buttons::Ok, kq::platform::Icon::Warning);
        return;
    }
    GridEX1->setDatabaseName(db);
    GridEX1->setRecordSource(
        QStringLiteral("select * from filmes order by cd_sistema,cd_sequencial "));
    GridEX1->rebind();
    trap(objectName(), [this] { GridEX1->refresh(); });
}

void ftutorial::GridEX1_RowChange()
{
    const QVariant link = GridEX1->value(3);
    if (!link.isValid() || link.toString().trimmed().isEmpty())
        return;
    AbrirAVI(caminhoVideo(dataFolder(), link.toString()));
}

void ftutorial::AbrirAVI(const QString &path)
{
    if (!QFileInfo(path).isFile()) {
        player->stop();
        m_current.clear();
        Dialogs::message(QStringLiteral("Arquivo de vídeo não encontrado:\n%1")
                             .arg(QDir::toNativeSeparators(path)),
                         QString(), kq::platform::Buttons::Ok, kq::platform::Icon::Warning);
        return;
    }
    m_current = path;
    player->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    player->play();
}

void ftutorial::playerError()
{
    if (player->error() == QMediaPlayer::NoError)
        return;
    const QString path = m_current;
    const QString reason = player->errorString();
    player->stop();
    Dialogs::message(QStringLiteral("Não foi possível reproduzir o vídeo:\n%1\n%2")
                         .arg(QDir::toNativeSeparators(path), reason),
                     QString(), kq::platform::Buttons::Ok, kq::platform::Icon::Warning);
}

void ftutorial::Command1_Click()
{
    close();
}

} // namespace kq::shell
