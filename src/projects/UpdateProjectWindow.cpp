#include "projects/UpdateProjectWindow.h"

#include "platform/Clock.h"
#include "platform/TextCodec.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectRules.h"
#include "ui/common/EditorText.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/common/TypeCombo.h"
#include "ui/common/WorkProgress.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

QDateEdit* datePicker(QWidget* parent, const QString& name, const QRect& geometry)
{
    auto* picker = placed(new QDateEdit(Clock::now().date(), parent), name, geometry);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(u"yyyy-MM-dd"_s);
    return picker;
}

} // namespace

UpdateProjectWindow::UpdateProjectWindow(int recordNumber, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_record(recordNumber)
{
    named(this, u"UpdateProjectWindow"_s);
    setWindowTitle(u"更新项目"_s);
    setFixedSize(369, 396);

    auto* group = placed(new QGroupBox(this), u"分组框1"_s, QRect(9, 5, 346, 347));
    QLabel* numberLabel = placedLabel(group, u"标签1"_s, u"项目编号："_s, QRect(8, 15, 64, 16));
    m_number = placed(new QLineEdit(group), u"编号编辑框"_s, QRect(73, 14, 118, 20));
    m_number->setReadOnly(true);
    QPalette grey = m_number->palette();
    grey.setColor(QPalette::Base, QColor(236, 236, 236));
    m_number->setPalette(grey);
    QLabel* nameLabel = placedLabel(group, u"标签2"_s, u"项目名称："_s, QRect(8, 39, 64, 16));
    m_name = placed(new QLineEdit(group), u"名称编辑框"_s, QRect(73, 36, 256, 20));
    QLabel* typeLabel = placedLabel(group, u"标签3"_s, u"项目类型："_s, QRect(9, 62, 64, 16));
    m_type = placed(new QComboBox(group), u"选择类型组合框"_s, QRect(73, 58, 118, 20));
    QLabel* versionLabel = placedLabel(group, u"标签4"_s, u"版本："_s, QRect(8, 84, 64, 16));
    m_version = placed(new QLineEdit(group), u"版本编辑框"_s, QRect(73, 80, 118, 20));
    QLabel* startLabel = placedLabel(group, u"标签5"_s, u"开始时间："_s, QRect(8, 106, 64, 16));
    m_start = datePicker(group, u"开始日期框"_s, QRect(73, 103, 117, 20));
    QLabel* updatedLabel = placedLabel(group, u"标签8"_s, u"更新时间："_s, QRect(9, 130, 64, 16));
    m_updated = datePicker(group, u"更新日期框"_s, QRect(73, 127, 117, 20));
    QLabel* packageLabel = placedLabel(group, u"标签7"_s, u"文件包："_s, QRect(8, 152, 64, 16));
    m_package = placed(new QLineEdit(group), u"文件包编辑框"_s, QRect(73, 151, 238, 20));
    auto* browseButton = placed(new QPushButton(group), u"浏览按钮"_s, QRect(311, 149, 24, 22));
    browseButton->setIcon(QIcon(u":/icons/browse.svg"_s));
    browseButton->setToolTip(u"选择项目文件包"_s);
    QLabel* notesLabel = placedLabel(group, u"标签6"_s, u"备注："_s, QRect(8, 177, 80, 24));
    m_notes = placed(new QPlainTextEdit(group), u"备注编辑框"_s, QRect(73, 183, 262, 152));
    m_notes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* ok = placed(new QPushButton(u"确  定"_s, this), u"确定按钮"_s, QRect(161, 355, 97, 32));
    auto* cancel = placed(new QPushButton(u"取  消"_s, this), u"取消按钮"_s, QRect(258, 355, 97, 32));
    ok->setDefault(true);

    labelFor(numberLabel, m_number);
    labelFor(nameLabel, m_name);
    labelFor(typeLabel, m_type);
    labelFor(versionLabel, m_version);
    labelFor(startLabel, m_start);
    labelFor(updatedLabel, m_updated);
    labelFor(packageLabel, m_package);
    labelFor(notesLabel, m_notes);

    connect(browseButton, &QPushButton::clicked, this, &UpdateProjectWindow::browse);
    connect(ok, &QPushButton::clicked, this, &UpdateProjectWindow::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    load();
    m_name->setFocus();
    speakAsSeen(this);
}

void UpdateProjectWindow::edit(int recordNumber, QWidget* parent, const std::function<void()>& changed)
{
    UpdateProjectWindow dialog(recordNumber, parent);
    if (dialog.exec() == QDialog::Accepted)
        changed();
}

void UpdateProjectWindow::load()
{
    fillTypeCombo(m_type);
    const ProjectRecord project = ProjectCatalogue::readProject(m_record);
    m_number->setText(project.number);
    m_name->setText(project.name);
    m_type->setCurrentIndex(project.type);
    m_version->setText(project.version);
    if (project.startTime.isValid())
        m_start->setDate(project.startTime.date());
    m_notes->setPlainText(editorText(project.notes));
    // The last update is not loaded: the box offers the date of this update.
}

void UpdateProjectWindow::browse()
{
    Prompt::FileDialog dialog;
    dialog.defaultSuffix = u"zip"_s;
    dialog.filter = u"项目文件包(*.zip;*.rar)|*.zip;*.rar|易程序(*.e)|*.e|易模块(*.ec)|*.ec|DLL(*.dll)|*.dll|*.*|*.*"_s;
    const QString path = Prompt::openFile(this, dialog);
    if (!path.isEmpty())
        m_package->setText(path);
}

void UpdateProjectWindow::confirm()
{
    if (WorkProgress::running())
        return;
    ProjectRecord edited;
    edited.number = m_number->text();
    edited.name = m_name->text();
    edited.type = m_type->currentIndex();
    edited.version = m_version->text();
    edited.startTime = QDateTime(m_start->date(), QTime(0, 0));
    edited.lastUpdate = QDateTime(m_updated->date(), QTime(0, 0));
    edited.notes = TextCodec::toCrLf(m_notes->toPlainText());

    ProjectRules::UpdateOutcome outcome;
    {
        WorkProgress progress(this, u"正在复制文件，请稍候……"_s);
        outcome = ProjectRules::updateProject(m_record, edited, m_package->text(), progress.callback());
    }
    switch (outcome) {
    case ProjectRules::UpdateOutcome::Updated:
        accept();
        break;
    case ProjectRules::UpdateOutcome::Incomplete:
        Prompt::warning(this, u"填写不完整！"_s);
        break;
    case ProjectRules::UpdateOutcome::PackageMissing:
        Prompt::error(this, u"项目包文件不存在或读取失败！"_s);
        break;
    case ProjectRules::UpdateOutcome::DatabaseError:
        showDatabaseError(this);
        break;
    }
}
