#include "projects/ui/NewProjectWindow.h"

#include "app/AppSettings.h"
#include "platform/Clock.h"
#include "projects/FolderPackage.h"
#include "projects/ProjectNumber.h"
#include "projects/ProjectRules.h"
#include "projects/ui/ProjectForm.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/common/WorkProgress.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

NewProjectWindow::~NewProjectWindow() = default;

NewProjectWindow::NewProjectWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    named(this, u"NewProjectWindow"_s);
    setWindowTitle(u"新建项目"_s);
    setFixedSize(369, 362);

    const ProjectForm::Shape shape{
        .groupHeight = 315,
        .labelTops = {11, 34, 56, 78, 100, 0, 124, 149},
        .boxTops = {10, 32, 54, 76, 99, 0, 123, 155},
        .browseTop = 122,
        .startName = u"日期框"_s,
        .browseName = u"浏览文件按钮"_s,
        .packageFilter = u"项目文件包(*.zip)|*.zip|易程序(*.e)|*.e|易模块(*.ec)|*.ec|DLL(*.dll)|*.dll|*.*|*.*"_s,
        .withLastUpdate = false,
        .buttonsLeft = 160,
        .buttonsTop = 322};
    m_form = std::make_unique<ProjectForm>(this, shape);
    connect(m_form->ok, &QPushButton::clicked, this, &NewProjectWindow::confirm);

    if (AppSettings().readFlag(SettingsKeys::kManualNumbering)) {
        m_form->number->setFocus();
    } else {
        m_form->number->setText(ProjectNumber::generate(Clock::now()));
        m_form->name->setFocus();
    }
    speakAsSeen(this);
}

void NewProjectWindow::confirm()
{
    // A click that reaches the button while the package is being copied must not add the project twice.
    if (WorkProgress::running())
        return;

    const ProjectRecord project = m_form->edited();
    const bool packageRequired = !AppSettings().readFlag(SettingsKeys::kImportOptional);
    std::unique_ptr<FolderPackage> packedFolder;
    const std::optional<QString> package = m_form->packageToStore(packageRequired, packedFolder);
    if (!package)
        return;

    ProjectRules::AddOutcome outcome;
    {
        WorkProgress progress(this, u"正在复制文件，请稍候……"_s);
        outcome = ProjectRules::addProject(project, *package, packageRequired, progress.callback());
    }
    switch (outcome) {
    case ProjectRules::AddOutcome::Added:
        prepareForNextProject();
        break;
    case ProjectRules::AddOutcome::Incomplete:
        Prompt::warning(this, u"填写不完整！"_s);
        break;
    case ProjectRules::AddOutcome::PackageMissing:
    case ProjectRules::AddOutcome::InvalidNumber: // no package could ever be stored under it
        Prompt::error(this, u"项目包文件不存在或读取失败！"_s);
        break;
    case ProjectRules::AddOutcome::DuplicateNumber:
        Prompt::error(this, u"已存在相同编号！"_s);
        break;
    case ProjectRules::AddOutcome::DatabaseError:
        showDatabaseError(this);
        break;
    }
}

void NewProjectWindow::prepareForNextProject()
{
    m_form->number->setText(ProjectNumber::generate(Clock::now()));
    m_form->name->clear();
    m_form->notes->clear();
    m_form->package->clear();
}

void NewProjectWindow::prefill(const QString& packagePath, const QString& name)
{
    m_form->package->setText(packagePath);
    m_form->name->setText(name);
}

void NewProjectWindow::addProjects(QWidget* parent, const QString& packagePath, const QString& name)
{
    NewProjectWindow dialog(parent);
    if (!packagePath.isEmpty())
        dialog.prefill(packagePath, name);
    dialog.exec();
}
