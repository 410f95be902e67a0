#include "projects/ui/ProjectForm.h"

#include "platform/Clock.h"
#include "platform/TextCodec.h"
#include "projects/FolderPackage.h"
#include "ui/common/Naming.h"
#include "ui/common/NoteBox.h"
#include "ui/common/PackingMessages.h"
#include "ui/common/Prompt.h"
#include "ui/common/TypeCombo.h"
#include "ui/common/WorkProgress.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

enum Row { NumberRow, NameRow, TypeRow, VersionRow, StartRow, LastUpdateRow, PackageRow, NotesRow };

QDateEdit* datePicker(QWidget* parent, const QString& name, const QRect& geometry)
{
    auto* picker = placed(new QDateEdit(Clock::now().date(), parent), name, geometry);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(u"yyyy-MM-dd"_s);
    return picker;
}

} // namespace

ProjectForm::ProjectForm(QDialog* dialog, const Shape& shape)
    : m_dialog(dialog)
{
    group = placed(new QGroupBox(dialog), u"分组框1"_s, QRect(9, 5, 346, shape.groupHeight));
    const auto label = [&](Row row, const QString& objectName, const QString& caption, int left = 8) {
        return placedLabel(group, objectName, caption, QRect(left, shape.labelTops[row], 64, 16));
    };
    const auto box = [&](Row row, int left, int width) { return QRect(left, shape.boxTops[row], width, 20); };

    QLabel* numberLabel = label(NumberRow, u"标签1"_s, u"项目编号："_s);
    number = placed(new QLineEdit(group), u"编号编辑框"_s, box(NumberRow, 73, 118));
    QLabel* nameLabel = label(NameRow, u"标签2"_s, u"项目名称："_s);
    name = placed(new QLineEdit(group), u"名称编辑框"_s, box(NameRow, 73, 256));
    QLabel* typeLabel = label(TypeRow, u"标签3"_s, u"项目类型："_s, 9);
    type = placed(new QComboBox(group), u"选择类型组合框"_s, box(TypeRow, 73, 118));
    QLabel* versionLabel = label(VersionRow, u"标签4"_s, u"版本："_s);
    version = placed(new QLineEdit(group), u"版本编辑框"_s, box(VersionRow, 73, 118));
    QLabel* startLabel = label(StartRow, u"标签5"_s, u"开始时间："_s);
    start = datePicker(group, shape.startName, box(StartRow, 73, 117));
    QLabel* lastUpdateLabel = nullptr;
    if (shape.withLastUpdate) {
        lastUpdateLabel = label(LastUpdateRow, u"标签8"_s, u"更新时间："_s, 9);
        lastUpdate = datePicker(group, u"更新日期框"_s, box(LastUpdateRow, 73, 117));
    }
    QLabel* packageLabel = label(PackageRow, u"标签7"_s, u"文件包："_s);
    package = placed(new QLineEdit(group), u"文件包编辑框"_s, box(PackageRow, 73, 238));
    browse = placed(new QPushButton(group), shape.browseName, QRect(311, shape.browseTop, 24, 22));
    browse->setIcon(QIcon(u":/icons/browse.svg"_s));
    browse->setToolTip(u"选择项目文件包"_s);
    QLabel* notesLabel = placedLabel(group, u"标签6"_s, u"备注："_s, QRect(8, shape.labelTops[NotesRow], 80, 24));
    notes = placed(new QPlainTextEdit(group), u"备注编辑框"_s, QRect(73, shape.boxTops[NotesRow], 262, 152));
    notes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    tabMovesFocus(notes);

    ok =
        placed(new QPushButton(u"确  定"_s, dialog), u"确定按钮"_s, QRect(shape.buttonsLeft, shape.buttonsTop, 97, 32));
    cancel = placed(new QPushButton(u"取  消"_s, dialog), u"取消按钮"_s,
                    QRect(shape.buttonsLeft + 97, shape.buttonsTop, 97, 32));
    ok->setDefault(true);

    labelFor(numberLabel, number);
    labelFor(nameLabel, name);
    labelFor(typeLabel, type);
    labelFor(versionLabel, version);
    labelFor(startLabel, start);
    if (lastUpdateLabel)
        labelFor(lastUpdateLabel, lastUpdate);
    labelFor(packageLabel, package);
    labelFor(notesLabel, notes);

    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    // A package is a file, or a folder that is packed when the project is stored: the button asks which.
    browseMenu = named(new QMenu(browse), u"浏览菜单"_s);
    QAction* chooseFile = browseMenu->addAction(u"&F.选择文件"_s);
    QAction* chooseFolder = browseMenu->addAction(u"&D.选择文件夹"_s);
    QObject::connect(browse, &QPushButton::clicked, browseMenu, [button = browse, menu = browseMenu] {
        menu->popup(button->mapToGlobal(QPoint(0, button->height())));
    });
    QObject::connect(chooseFile, &QAction::triggered, dialog, [box = package, dialog, filter = shape.packageFilter] {
        Prompt::FileDialog choice;
        choice.defaultSuffix = u"zip"_s;
        choice.filter = filter;
        const QString path = Prompt::openFile(dialog, choice);
        if (!path.isEmpty())
            box->setText(path);
    });
    QObject::connect(chooseFolder, &QAction::triggered, dialog, [box = package, dialog] {
        const QString path = Prompt::browseFolder(dialog, u"请选择项目文件夹："_s);
        if (!path.isEmpty())
            box->setText(path);
    });
    fillTypeCombo(type);
}

ProjectRecord ProjectForm::edited() const
{
    ProjectRecord project;
    project.number = number->text();
    project.name = name->text();
    project.type = type->currentIndex();
    project.version = version->text();
    project.startTime = QDateTime(start->date(), QTime(0, 0));
    if (lastUpdate)
        project.lastUpdate = QDateTime(lastUpdate->date(), QTime(0, 0));
    project.notes = TextCodec::toCrLf(notes->toPlainText());
    return project;
}

std::optional<QString> ProjectForm::packageToStore(bool stored, std::unique_ptr<FolderPackage>& packed) const
{
    const QString chosen = package->text();
    if (!FolderPackage::isFolder(chosen))
        return chosen;
    if (!stored || number->text().isEmpty() || name->text().isEmpty())
        return FolderPackage::packageName(chosen);
    {
        WorkProgress progress(m_dialog, u"正在压缩项目文件，请稍候……"_s);
        packed = std::make_unique<FolderPackage>(chosen, progress.callback());
    }
    switch (packed->outcome()) {
    case FolderPackage::Outcome::Packed:
        return packed->package();
    case FolderPackage::Outcome::Changing:
        Prompt::error(m_dialog, u"文件正在被其他程序修改，请关闭后再试！"_s);
        break;
    case FolderPackage::Outcome::Unpackable:
        Prompt::error(m_dialog, PackingMessages::unpackable(packed->unpackable(), u"试"_s));
        break;
    case FolderPackage::Outcome::Failed:
        Prompt::error(m_dialog, u"项目包文件不存在或读取失败！"_s);
        break;
    }
    return std::nullopt;
}
