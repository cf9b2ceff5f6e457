#pragma once

#include "platform/screen.h"

#include <QPointer>
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kq::platform {
class DCube;
}

namespace kq::cube {

// Saves the cube screen's cube to a cube file, with or without its data,
// compressed or not, with or without a password.
class SaveForm : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit SaveForm(QWidget *parent = nullptr);

    QGroupBox *SaveOptionFrame = nullptr;
    std::array<QRadioButton *, 2> SaveOption{};
    QCheckBox *CompressionCheck = nullptr;
    QPushButton *cmdSavePath = nullptr;
    QLabel *FileNameLabel = nullptr;
    QLineEdit *FilePathTextbox = nullptr;
    QGroupBox *fraPassword = nullptr;
    std::array<QRadioButton *, 2> optPassword{};
    QLineEdit *txtPassword = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;

    // The chosen path; kept while the program runs, across openings.
    static QString FileName();
    static void setFileName(const QString &fileName);

    // The cube a save writes (the cube screen's, given when it opens this one).
    void setCube(kq::platform::DCube *cube);

    void BrowseSavePath();
    void OKButton_Click();

private:
    void optPassword_Click(int index);

    QPointer<kq::platform::DCube> m_cube;
};

} // namespace kq::cube
