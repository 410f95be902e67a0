#include "settings/ui/NewTypeWindow.h"

#include "settings/ProjectTypes.h"
#include "store/IconFile.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

using namespace Qt::StringLiterals;

NewTypeWindow::NewTypeWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    named(this, u"NewTypeWindow"_s);
    setWindowTitle(u"新建项目类型"_s);
    setFixedSize(326, 178);

    auto* group = placed(new QGroupBox(this), u"分组框1"_s, QRect(8, 5, 304, 99));
    auto* nameLabel = placed(new QLabel(u"名称："_s, group), u"标签1"_s, QRect(8, 10, 40, 24));
    m_name = placed(new QLineEdit(group), u"名称编辑框"_s, QRect(48, 12, 107, 20));
    auto* pictureLabel = placed(new QLabel(u"图标："_s, group), u"标签2"_s, QRect(8, 35, 40, 24));
    m_picturePath = placed(new QLineEdit(group), u"图标编辑框"_s, QRect(48, 35, 216, 20));
    m_picturePath->setReadOnly(true); // shows the chosen path; the picture itself is what is stored
    auto* choose = placed(new QPushButton(u"..."_s, group), u"选择图标按钮"_s, QRect(268, 34, 25, 22));
    m_picture = placed(new QLabel(group), u"图标显示图片框"_s, QRect(48, 58, 36, 36));
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setFrameShape(QFrame::StyledPanel);
    auto* ok = placed(new QPushButton(u"确  定"_s, this), u"确定按钮"_s, QRect(208, 109, 104, 32));
    ok->setDefault(true);
    labelFor(nameLabel, m_name);
    labelFor(pictureLabel, m_picturePath);

    connect(choose, &QPushButton::clicked, this, &NewTypeWindow::choosePicture);
    connect(ok, &QPushButton::clicked, this, &NewTypeWindow::createType);
    speakAsSeen(this);
}

void NewTypeWindow::showPicture(const QByteArray& bytes)
{
    m_pictureBytes = bytes;
    m_picture->setPixmap(bytes.isEmpty() ? QPixmap() : QPixmap::fromImage(IconFile::read(bytes)));
}

void NewTypeWindow::choosePicture()
{
    Prompt::FileDialog dialog;
    dialog.filter = u"支持的图片格式(*.jpg;*.gif;*.bmp;*.ico)|*.jpg;*.gif;*.bmp;*.ico|*.*|*.*"_s;
    const QString path = Prompt::openFile(this, dialog);
    if (path.isEmpty())
        return;
    const QByteArray picture = ProjectTypes::loadTypePicture(path);
    if (picture.isEmpty()) {
        Prompt::error(this, u"载入图片失败！类型图片的大小必须为32*32像素。"_s);
        return;
    }
    m_picturePath->setText(path);
    showPicture(picture);
}

void NewTypeWindow::createType()
{
    if (m_name->text().isEmpty() || m_pictureBytes.isEmpty()) {
        Prompt::warning(this, u"请填写完整！"_s);
        return;
    }
    if (!ProjectTypes::appendType(m_name->text(), m_pictureBytes)) {
        showDatabaseError(this);
        return;
    }
    Prompt::information(this, u"新建类型成功！"_s);
    m_name->clear();
    m_picturePath->clear();
    showPicture({});
}
