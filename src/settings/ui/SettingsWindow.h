#pragma once

#include "projects/DataRoom.h"

#include <QDialog>

class ColourButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// 系统设置: every setting of Install.ini, the login password and the project types. Settings are written by
// 确定 alone; the password and the types change at once.
class SettingsWindow : public QDialog
{
    Q_OBJECT

public:
    // The window shows `currentTitle` as the program title.
    explicit SettingsWindow(const QString& currentTitle, QWidget* parent = nullptr);

    // Shows the window modally. However it goes (确定 or the close box) the caller then re-applies the settings
    // and refills the project list.
    static void edit(QWidget* parent);

    // Shows the picture of the type selected in the combo box.
    void showTypePicture();

private:
    void fillFromSettings();
    void backgroundPathChanged();
    void chooseBackground();
    void browseExecutionDir();
    void changePassword();
    void restoreDefaults();
    void confirm();
    void newType();
    void deleteType();
    void refillTypes();
    // The room the history and the trash take, under the limits above.
    void showRoom();
    void cleanUp();

    QLineEdit* m_title;
    QCheckBox* m_importOptional;
    QCheckBox* m_manualNumbering;
    QLineEdit* m_executionDir;
    QPushButton* m_browseExecutionDir;
    QLineEdit* m_password;
    QComboBox* m_types;
    QLabel* m_typePicture;
    ColourButton* m_textColour;
    ColourButton* m_textBackColour;
    ColourButton* m_backColour;
    QLineEdit* m_background;
    QCheckBox* m_tiled;
    QSpinBox* m_historyVersions;
    QSpinBox* m_historyMegabytes;
    QLabel* m_room;
    DataRoom::Room m_measured;
};
