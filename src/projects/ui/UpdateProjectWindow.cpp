#include "projects/ui/UpdateProjectWindow.h"

#include "projects/FolderPackage.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectRules.h"
#include "projects/ui/ProjectForm.h"
#include "ui/common/EditorText.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/common/WorkProgress.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

UpdateProjectWindow::~UpdateProjectWindow() = default;

UpdateProjectWindow::UpdateProjectWindow(int recordNumber, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_record(recordNumber)
{
    named(this, u"UpdateProjectWindow"_s);
    setWindowTitle(u"更新项目"_s);
    setFixedSize(369, 396);

    const ProjectForm::Shape shape{
        .groupHeight = 347,
        .labelTops = {15, 39, 62, 84, 106, 130, 152, 177},
        .boxTops = {14, 36, 58, 80, 103, 127, 151, 183},
        .browseTop = 149,
        .startName = u"开始日期框"_s,
        .browseName = u"浏览按钮"_s,
        .packageFilter =
            u"项目文件包(*.zip;*.rar)|*.zip;*.rar|易程序(*.e)|*.e|易模块(*.ec)|*.ec|DLL(*.dll)|*.dll|*.*|*.*"_s,
        .withLastUpdate = true,
        .buttonsLeft = 161,
        .buttonsTop = 355};
    m_form = std::make_unique<ProjectForm>(this, shape);
    m_form->number->setReadOnly(true);
    QPalette grey = m_form->number->palette();
    grey.setColor(QPalette::Base, QColor(236, 236, 236));
    m_form->number->setPalette(grey);
    connect(m_form->ok, &QPushButton::clicked, this, &UpdateProjectWindow::confirm);

    load();
    m_form->name->setFocus();
    speakAsSeen(this);
}

void UpdateProjectWindow::edit(int recordNumber, QWidget* parent)
{
    UpdateProjectWindow dialog(recordNumber, parent);
    dialog.exec();
}

void UpdateProjectWindow::load()
{
    const ProjectRecord project = ProjectCatalogue::readProject(m_record);
    m_form->number->setText(project.number);
    m_form->name->setText(project.name);
    m_form->type->setCurrentIndex(project.type);
    m_form->version->setText(project.version);
    if (project.startTime.isValid())
        m_form->start->setDate(project.startTime.date());
    m_form->notes->setPlainText(editorText(project.notes));
    // The last update is not loaded: the box offers the date of this update.
}

void UpdateProjectWindow::confirm()
{
    if (WorkProgress::running())
        return;
    const ProjectRecord edited = m_form->edited();
    std::unique_ptr<FolderPackage> packedFolder;
    const std::optional<QString> package = m_form->packageToStore(true, packedFolder);
    if (!package)
        return;

    ProjectRules::UpdateOutcome outcome;
    {
        WorkProgress progress(this, u"正在复制文件，请稍候……"_s);
        outcome = ProjectRules::updateProject(m_record, edited, *package, progress.callback());
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
