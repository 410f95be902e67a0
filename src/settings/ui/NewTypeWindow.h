#pragma once

#include <QByteArray>
#include <QDialog>

class QLabel;
class QLineEdit;

// 新建项目类型: a name and a 32×32 picture per type. It stays open after each new type, emptied for the next,
// until its close box is pressed.
class NewTypeWindow : public QDialog
{
    Q_OBJECT

public:
    explicit NewTypeWindow(QWidget* parent = nullptr);

private:
    void choosePicture();
    void createType();
    void showPicture(const QByteArray& bytes);

    QLineEdit* m_name;
    QLineEdit* m_picturePath;
    QLabel* m_picture;
    QByteArray m_pictureBytes; // what 图标显示图片框 holds: the chosen file's bytes
};
