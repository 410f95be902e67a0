#include "settings/ui/SettingsWindow.h"

#include "app/AppDir.h"
#include "app/AppSettings.h"
#include "app/LoginPassword.h"
#include "execution/ExecutionPaths.h"
#include "execution/WorkInProgress.h"
#include "settings/ProjectTypes.h"
#include "settings/ui/CleanUpWindow.h"
#include "settings/ui/ColourButton.h"
#include "settings/ui/NewTypeWindow.h"
#include "store/DefaultTypeTable.h"
#include "store/IconFile.h"
#include "store/TableSchemas.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/common/TypeCombo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>

using namespace Qt::StringLiterals;

namespace {

QLabel* label(QWidget* parent, const QString& name, const QString& text, const QRect& geometry)
{
    return placed(new QLabel(text, parent), name, geometry);
}

// A colour as the settings hold it, or as an absent key stands for it.
QColor colourOf(const AppSettings& settings, const SettingsKeys::Key& key)
{
    return settings.readColour(key, key.defaultValue());
}

QColor defaultColour(const SettingsKeys::Key& key)
{
    return AppSettings::toColour(AppSettings::toNumber(key.defaultValue()));
}

} // namespace

SettingsWindow::SettingsWindow(const QString& currentTitle, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    named(this, u"SettingsWindow"_s);
    setWindowTitle(u"系统设置"_s);
    setFixedSize(401, 541);

    auto* basic = placed(new QGroupBox(u"基本配置"_s, this), u"分组框1"_s, QRect(6, 5, 384, 211));
    QLabel* titleLabel = label(basic, u"透明标签1"_s, u"程序标题："_s, QRect(15, 14, 70, 24));
    m_title = placed(new QLineEdit(basic), u"标题编辑框"_s, QRect(86, 17, 260, 20));
    m_importOptional =
        placed(new QCheckBox(u"不要求必须导入项目文件包"_s, basic), u"导入选择框"_s, QRect(86, 37, 280, 24));
    m_manualNumbering =
        placed(new QCheckBox(u"新建项目时不使用系统自动生成的编号"_s, basic), u"编号选择框"_s, QRect(86, 57, 290, 24));
    QLabel* dirLabel = label(basic, u"透明标签5"_s, u"执行目录："_s, QRect(16, 80, 68, 24));
    m_executionDir = placed(new QLineEdit(basic), u"执行目录编辑框"_s, QRect(86, 81, 260, 20));
    m_browseExecutionDir = placed(new QPushButton(u"..."_s, basic), u"浏览执行目录按钮"_s, QRect(349, 79, 25, 22));
    QLabel* passwordLabel = label(basic, u"标签2"_s, u"登陆密码："_s, QRect(16, 108, 68, 24));
    m_password = placed(new QLineEdit(basic), u"登陆密码编辑框"_s, QRect(86, 108, 212, 20));
    auto* changePassword = placed(new QPushButton(u"修改"_s, basic), u"修改密码按钮"_s, QRect(303, 107, 72, 22));
    QLabel* typeLabel = label(basic, u"标签1"_s, u"项目类型："_s, QRect(15, 156, 70, 24));
    m_types = placed(new QComboBox(basic), u"类型组合框"_s, QRect(86, 158, 216, 20));
    m_typePicture = placed(new QLabel(basic), u"类型图片框"_s, QRect(311, 142, 36, 36));
    m_typePicture->setAlignment(Qt::AlignCenter);
    auto* newType = placed(new QPushButton(u"新建"_s, basic), u"新建类型按钮"_s, QRect(84, 182, 72, 24));
    auto* deleteType = placed(new QPushButton(u"删除"_s, basic), u"删除类型按钮"_s, QRect(156, 182, 72, 24));

    auto* look = placed(new QGroupBox(u"界面配置"_s, this), u"分组框2"_s, QRect(6, 219, 384, 144));
    QLabel* textLabel = label(look, u"透明标签2"_s, u"文本色："_s, QRect(15, 20, 72, 20));
    m_textColour = placed(new ColourButton(look), u"文本色"_s, QRect(88, 21, 80, 20));
    QLabel* textBackLabel = label(look, u"透明标签3"_s, u"文本背景色："_s, QRect(15, 42, 80, 20));
    m_textBackColour = placed(new ColourButton(look), u"文本背景色"_s, QRect(88, 44, 80, 20));
    QLabel* backLabel = label(look, u"透明标签4"_s, u"背景色："_s, QRect(15, 64, 72, 20));
    m_backColour = placed(new ColourButton(look), u"背景色"_s, QRect(88, 66, 80, 20));
    QLabel* pictureLabel = label(look, u"透明标签6"_s, u"底图："_s, QRect(15, 88, 70, 16));
    m_background = placed(new QLineEdit(look), u"底图编辑框"_s, QRect(87, 88, 258, 20));
    auto* choosePicture = placed(new QPushButton(u"..."_s, look), u"选择底图按钮"_s, QRect(347, 87, 25, 22));
    QLabel* tiledLabel = label(look, u"标签3"_s, u"底图方式："_s, QRect(15, 107, 70, 24));
    m_tiled = placed(new QCheckBox(u"平铺"_s, look), u"底图方式选择框"_s, QRect(87, 109, 80, 24));
    m_tiled->setChecked(true);

    // Earlier packages are kept when a package is replaced; these bound what they take.
    auto* history = placed(new QGroupBox(u"历史版本"_s, this), u"分组框3"_s, QRect(6, 366, 384, 52));
    QLabel* versionsLabel = label(history, u"透明标签7"_s, u"每个项目保留："_s, QRect(15, 20, 86, 22));
    m_historyVersions = placed(new QSpinBox(history), u"版本数编辑框"_s, QRect(101, 20, 80, 22));
    m_historyVersions->setRange(1, 999);
    m_historyVersions->setSuffix(u" 个版本"_s);
    QLabel* sizeLabel = label(history, u"透明标签8"_s, u"总大小不超过："_s, QRect(196, 20, 86, 22));
    m_historyMegabytes = placed(new QSpinBox(history), u"历史大小编辑框"_s, QRect(282, 20, 90, 22));
    m_historyMegabytes->setRange(1, 1024 * 1024);
    m_historyMegabytes->setSuffix(u" MB"_s);

    auto* room = placed(new QGroupBox(u"占用空间"_s, this), u"分组框4"_s, QRect(6, 421, 384, 48));
    m_room = label(room, u"占用标签"_s, QString(), QRect(15, 18, 280, 22));
    auto* cleanUp = placed(new QPushButton(u"清理..."_s, room), u"清理按钮"_s, QRect(300, 17, 72, 24));

    auto* defaults = placed(new QPushButton(u"默  认"_s, this), u"默认按钮"_s, QRect(7, 474, 104, 32));
    auto* ok = placed(new QPushButton(u"确  定"_s, this), u"确定按钮"_s, QRect(287, 474, 104, 32));
    ok->setDefault(true);

    labelFor(titleLabel, m_title);
    labelFor(dirLabel, m_executionDir);
    labelFor(passwordLabel, m_password);
    labelFor(typeLabel, m_types);
    labelFor(textLabel, m_textColour);
    labelFor(textBackLabel, m_textBackColour);
    labelFor(backLabel, m_backColour);
    labelFor(pictureLabel, m_background);
    labelFor(tiledLabel, m_tiled);
    labelFor(versionsLabel, m_historyVersions);
    labelFor(sizeLabel, m_historyMegabytes);

    // Connected first, so the 平铺 box follows the path from the moment the window fills it.
    connect(m_background, &QLineEdit::textChanged, this, &SettingsWindow::backgroundPathChanged);
    connect(choosePicture, &QPushButton::clicked, this, &SettingsWindow::chooseBackground);
    connect(m_browseExecutionDir, &QPushButton::clicked, this, &SettingsWindow::browseExecutionDir);
    connect(changePassword, &QPushButton::clicked, this, &SettingsWindow::changePassword);
    connect(newType, &QPushButton::clicked, this, &SettingsWindow::newType);
    connect(deleteType, &QPushButton::clicked, this, &SettingsWindow::deleteType);
    connect(defaults, &QPushButton::clicked, this, &SettingsWindow::restoreDefaults);
    connect(ok, &QPushButton::clicked, this, &SettingsWindow::confirm);
    connect(cleanUp, &QPushButton::clicked, this, &SettingsWindow::cleanUp);

    m_title->setText(currentTitle);
    fillFromSettings();
    backgroundPathChanged(); // an empty path sends no change
    connect(m_types, &QComboBox::currentIndexChanged, this, &SettingsWindow::showTypePicture);
    refillTypes();
    showRoom();
    speakAsSeen(this);
}

void SettingsWindow::showRoom()
{
    m_measured = DataRoom::measure();
    m_room->setText(u"历史版本 %1，回收站 %2"_s.arg(DataRoom::sizeText(m_measured.historyBytes),
                                                    DataRoom::sizeText(m_measured.trashBytes)));
}

void SettingsWindow::cleanUp()
{
    CleanUpWindow window(m_measured, this);
    window.exec();
    showRoom();
}

void SettingsWindow::edit(QWidget* parent)
{
    SettingsWindow window(parent ? parent->window()->windowTitle() : QString(), parent);
    window.exec();
}

void SettingsWindow::fillFromSettings()
{
    const AppSettings settings;
    m_importOptional->setChecked(settings.readFlag(SettingsKeys::kImportOptional));
    m_manualNumbering->setChecked(settings.readFlag(SettingsKeys::kManualNumbering));
    if (const std::optional<QString> password = readLoginPassword())
        m_password->setText(*password);
    else
        showDatabaseError(this);
    m_background->setText(settings.read(SettingsKeys::kBackground));
    m_executionDir->setText(settings.read(SettingsKeys::kExecutionDir, ExecutionPaths::defaultExecutionDir()));
    m_textColour->setColour(colourOf(settings, SettingsKeys::kTextColour));
    m_textBackColour->setColour(colourOf(settings, SettingsKeys::kTextBackColour));
    m_backColour->setColour(colourOf(settings, SettingsKeys::kBackColour));
    if (settings.readFlag(SettingsKeys::kBackgroundOnce))
        m_tiled->setChecked(false);
    m_historyVersions->setValue(settings.readLimit(SettingsKeys::kHistoryVersions));
    m_historyMegabytes->setValue(settings.readLimit(SettingsKeys::kHistoryMegabytes));
    // The work in progress lives below the execution directory; it must not move away from under it.
    if (!WorkInProgress::instance().isEmpty()) {
        m_executionDir->setEnabled(false);
        m_browseExecutionDir->setEnabled(false);
    }
}

void SettingsWindow::backgroundPathChanged()
{
    m_tiled->setEnabled(!m_background->text().trimmed().isEmpty());
}

void SettingsWindow::chooseBackground()
{
    Prompt::FileDialog dialog;
    dialog.filter = u"支持的图片格式(*.jpg;*.gif;*.bmp;*.ico)|*.jpg;*.gif;*.bmp;*.ico|*.*|*.*"_s;
    const QString path = Prompt::openFile(this, dialog);
    if (!path.isEmpty())
        m_background->setText(path);
}

void SettingsWindow::browseExecutionDir()
{
    const QString dir = Prompt::browseFolder(this, u"请选择程序执行目录（最好为空目录）："_s);
    if (!dir.isEmpty())
        m_executionDir->setText(dir);
}

void SettingsWindow::changePassword()
{
    if (writeLoginPassword(m_password->text()))
        Prompt::information(this, u"修改密码成功！"_s);
    else
        Prompt::error(this, u"修改密码失败！"_s);
}

void SettingsWindow::restoreDefaults()
{
    m_importOptional->setChecked(SettingsKeys::kImportOptional.defaultFlag());
    m_manualNumbering->setChecked(SettingsKeys::kManualNumbering.defaultFlag());
    m_title->setText(defaultTitle());
    m_background->setText(SettingsKeys::kBackground.defaultValue());
    if (WorkInProgress::instance().isEmpty())
        m_executionDir->setText(ExecutionPaths::defaultExecutionDir());
    m_textColour->setColour(defaultColour(SettingsKeys::kTextColour));
    m_textBackColour->setColour(defaultColour(SettingsKeys::kTextBackColour));
    m_backColour->setColour(defaultColour(SettingsKeys::kBackColour));
    m_historyVersions->setValue(AppSettings::toNumber(SettingsKeys::kHistoryVersions.defaultValue()));
    m_historyMegabytes->setValue(AppSettings::toNumber(SettingsKeys::kHistoryMegabytes.defaultValue()));
    // The built-in types replace the table at once; the old pair stays when they cannot be written.
    if (!writeDefaultTypeTable(AppDir::filePath(TableSchemas::dataFolderName())))
        showDatabaseError(this);
    refillTypes();
}

void SettingsWindow::confirm()
{
    // A backup would carry the work with the catalogue, and a restore would bring old work back.
    if (m_executionDir->isEnabled() && ExecutionPaths::isInsideDataFolder(m_executionDir->text())) {
        Prompt::warning(this, u"执行目录不能设在数据目录中，请重新指定！"_s);
        m_executionDir->setFocus();
        return;
    }
    AppSettings settings;
    settings.write(SettingsKeys::kTitle, m_title->text());
    settings.writeFlag(SettingsKeys::kImportOptional, m_importOptional->isChecked());
    settings.writeFlag(SettingsKeys::kManualNumbering, m_manualNumbering->isChecked());
    settings.write(SettingsKeys::kBackground, m_background->text());
    settings.writeFlag(SettingsKeys::kBackgroundOnce, !m_tiled->isChecked());
    settings.writeNumber(SettingsKeys::kTextColour, AppSettings::fromColour(m_textColour->colour()));
    settings.writeNumber(SettingsKeys::kTextBackColour, AppSettings::fromColour(m_textBackColour->colour()));
    settings.writeNumber(SettingsKeys::kBackColour, AppSettings::fromColour(m_backColour->colour()));
    settings.write(SettingsKeys::kExecutionDir, m_executionDir->text());
    settings.writeNumber(SettingsKeys::kHistoryVersions, m_historyVersions->value());
    settings.writeNumber(SettingsKeys::kHistoryMegabytes, m_historyMegabytes->value());
    accept();
}

void SettingsWindow::refillTypes()
{
    const QSignalBlocker quiet(m_types);
    fillTypeCombo(m_types);
    showTypePicture();
}

void SettingsWindow::showTypePicture()
{
    const QImage picture = IconFile::read(ProjectTypes::typePicture(m_types->currentIndex()));
    m_typePicture->setPixmap(QPixmap::fromImage(picture));
}

void SettingsWindow::newType()
{
    NewTypeWindow window(this);
    window.exec();
    refillTypes();
}

void SettingsWindow::deleteType()
{
    if (m_types->count() < 2) {
        Prompt::plain(this, u"您至少要保留一个项目类型！"_s);
        return;
    }
    if (!Prompt::question(this, u"您确定要删除此项目类型吗？"_s))
        return;
    if (!ProjectTypes::deleteType(m_types->currentIndex()))
        showDatabaseError(this);
    refillTypes();
}
