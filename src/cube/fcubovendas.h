#pragma once

#include "cube/datamarkercollection.h"
#include "platform/screen.h"

#include <QUrl>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QMenuBar;
class QPushButton;

namespace kq::platform {
class DCube;
class CubeField;
class StatusBar;
} // namespace kq::platform

namespace kq::cube {

// A picture box painted with the background gradient of the screens.
class GradientPicture : public QWidget
{
    Q_OBJECT
public:
    explicit GradientPicture(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// Opens an exported file with the desktop's program; tests replace it.
using FileOpener = std::function<bool(const QUrl &)>;
FileOpener fileOpener();
void setFileOpener(FileOpener opener);

// The sales cube over the returned cheques.
class fcubovendas : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit fcubovendas(QWidget *parent = nullptr);
    ~fcubovendas() override;

    // The screen's cube.
    kq::platform::DCube *cube() const { return DCube1; }

    // Total rows and columns of every field on or off.
    void SetAllGroupFooterTypes(bool showTotal);
    // Loads a cube file; a protected one prompts for its password up to
    // passwordAttempts times.
    bool LoadCubeFile(const QString &microCubeFilePathOrUrl, int passwordAttempts = 0);
    // The open dialog of cube files; false when cancelled.
    bool GetCubeFilePath(QString &thisFileName);

    DataMarkerCollection &dataMarkers() { return *m_DataMarkers; }
    QString cubeFilePath() const { return m_CubeFilePath; }

    // The layout of the controls for an inner size in twips.
    void Form_Resize(int W, int H);

    void OpenCubeFile();
    void ShowRankForm(kq::platform::CubeField *field);
    void showChart();
    void showDataMarkers();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildControls();
    void defineCube();
    void Form_Load();
    void FillDataFieldList();
    void lstVisDataField_ItemCheck(QListWidgetItem *item);
    void HideCube();
    void ShowCube();
    void cubeError(int code, const QString &description, const QString &source, bool *handled);

    QMenuBar *menuBar = nullptr;
    QMenu *MenuOpcoes = nullptr;
    QAction *Abrir = nullptr;
    QAction *Salvar = nullptr;
    QAction *Classificar = nullptr;
    QAction *graficos = nullptr;
    QAction *retirar = nullptr;
    QAction *Inserir = nullptr;
    QAction *Marcadores = nullptr;
    QAction *Exportar = nullptr;

    GradientPicture *TopPicture = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *TitleCaption = nullptr;
    QLabel *SubTitleCaption = nullptr;
    GradientPicture *LeftPicture = nullptr;
    QListWidget *lstVisDataField = nullptr;
    QPushButton *cmdPreview = nullptr;
    QPushButton *Command1 = nullptr;
    kq::platform::StatusBar *StatusBar1 = nullptr;
    kq::platform::DCube *DCube1 = nullptr;
    QWidget *m_client = nullptr;
    std::unique_ptr<DataMarkerCollection> m_DataMarkers;
    QString m_CubeFilePath;
};

// Shows or hides the data field at item data of a checked list item.
void setDataFieldShownFromItem(kq::platform::DCube *cube, QListWidgetItem *item);
// Lays the cube out again; throws the cube's error when it fails.
void rebuildOrThrow(kq::platform::DCube *cube);
// Fills a list with the cube's data fields: caption, item data = index, checked.
void fillDataFieldList(kq::platform::DCube *cube, QListWidget *list);
// The data folder named by the last line of the settings file of the
// program folder ("sys.ini", any letter case).
QString cubeDataFolder();

} // namespace kq::cube
