#pragma once

#include "platform/screen.h"

class QAudioOutput;
class QLabel;
class QMediaPlayer;
class QPushButton;
class QVideoWidget;

namespace kq::platform {
class GridEX;
}

namespace kq::shell {

// Path of a tutorial video: the data folder, "/" and the link as stored
// (old "\" separators read as "/").
QString caminhoVideo(const QString &dataFolder, const QString &link);

// "Tutorial do Sistema": the tutorial videos of tutorial.mdb and their player.
class ftutorial : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit ftutorial(QWidget *parent = nullptr);

    kq::platform::GridEX *GridEX1 = nullptr;
    QVideoWidget *video = nullptr;
    QMediaPlayer *player = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *cmdPausar = nullptr;
    QPushButton *cmdParar = nullptr;

    // Plays a video file; a missing file is reported and nothing plays.
    void AbrirAVI(const QString &arquivo);
    // The file last handed to the player ("" when none).
    QString arquivoAtual() const { return m_current; }

    void GridEX1_RowChange();
    void Command1_Click(); // "Sair"

private:
    void buildControls();
    void Form_Load();
    void playerError();

    QAudioOutput *m_audio = nullptr;
    QString m_current;
};

} // namespace kq::shell
