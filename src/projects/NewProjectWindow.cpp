#include "projects/NewProjectWindow.h"

#include "app/AppSettings.h"
#include "platform/Clock.h"
#include "platform/TextCodec.h"
#include "projects/ProjectNumber.h"
#include "projects/ProjectRules.h"
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

NewProjectWindow::NewProjectWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    named(this, QStringLiteral("NewProjectWindow"));
    setWindowTitle(QStringLiteral("新建项目"));
    setFixedSize(369, 362);

    auto* group = placed(new QGroupBox(this), QStringLiteral("分组框1"), QRect(9, 5, 346, 315));
    QLabel* numberLabel =
        placedLabel(group, QStringLiteral("标签1"), QStringLiteral("项目编号："), QRect(8, 11, 64, 16));
    m_number = placed(new QLineEdit(group), QStringLiteral("编号编辑框"), QRect(73, 10, 118, 20));
    QLabel* nameLabel = placedLabel(group, QStringLiteral("标签2"), QStringLiteral("项目名称："), QRect(8, 34, 64, 16));
    m_name = placed(new QLineEdit(group), QStringLiteral("名称编辑框"), QRect(73, 32, 256, 20));
    QLabel* typeLabel = placedLabel(group, QStringLiteral("标签3"), QStringLiteral("项目类型："), QRect(9, 56, 64, 16));
    m_type = placed(new QComboBox(group), QStringLiteral("选择类型组合框"), QRect(73, 54, 118, 20));
    QLabel* versionLabel = placedLabel(group, QStringLiteral("标签4"), QStringLiteral("版本："), QRect(8, 78, 64, 16));
    m_version = placed(new QLineEdit(group), QStringLiteral("版本编辑框"), QRect(73, 76, 118, 20));
    QLabel* dateLabel =
        placedLabel(group, QStringLiteral("标签5"), QStringLiteral("开始时间："), QRect(8, 100, 64, 16));
    m_date = placed(new QDateEdit(Clock::now().date(), group), QStringLiteral("日期框"), QRect(73, 99, 117, 20));
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    QLabel* packageLabel =
        placedLabel(group, QStringLiteral("标签7"), QStringLiteral("文件包："), QRect(8, 124, 64, 16));
    m_package = placed(new QLineEdit(group), QStringLiteral("文件包编辑框"), QRect(73, 123, 238, 20));
    auto* browseButton = placed(new QPushButton(group), QStringLiteral("浏览文件按钮"), QRect(311, 122, 24, 22));
    browseButton->setIcon(QIcon(QStringLiteral(":/icons/browse.svg")));
    browseButton->setToolTip(QStringLiteral("选择项目文件包"));
    QLabel* notesLabel = placedLabel(group, QStringLiteral("标签6"), QStringLiteral("备注："), QRect(8, 149, 80, 24));
    m_notes = placed(new QPlainTextEdit(group), QStringLiteral("备注编辑框"), QRect(73, 155, 262, 152));
    m_notes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* ok =
        placed(new QPushButton(QStringLiteral("确  定"), this), QStringLiteral("确定按钮"), QRect(160, 322, 97, 32));
    auto* cancel =
        placed(new QPushButton(QStringLiteral("取  消"), this), QStringLiteral("取消按钮"), QRect(257, 322, 97, 32));
    ok->setDefault(true);

    labelFor(numberLabel, m_number);
    labelFor(nameLabel, m_name);
    labelFor(typeLabel, m_type);
    labelFor(versionLabel, m_version);
    labelFor(dateLabel, m_date);
    labelFor(packageLabel, m_package);
    labelFor(notesLabel, m_notes);

    connect(browseButton, &QPushButton::clicked, this, &NewProjectWindow::browse);
    connect(ok, &QPushButton::clicked, this, &NewProjectWindow::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    fillTypeCombo(m_type);
    if (AppSettings().readFlag(SettingsKeys::kManualNumbering)) {
        m_number->setFocus();
    } else {
        m_number->setText(ProjectNumber::generate(Clock::now()));
        m_name->setFocus();
    }
    speakAsSeen(this);
}

void NewProjectWindow::browse()
{
    Prompt::FileDialog dialog;
    dialog.defaultSuffix = QStringLiteral("zip");
    dialog.filter =
        QStringLiteral("项目文件包(*.zip)|*.zip|易程序(*.e)|*.e|易模块(*.ec)|*.ec|DLL(*.dll)|*.dll|*.*|*.*");
    const QString path = Prompt::openFile(this, dialog);
    if (!path.isEmpty())
        m_package->setText(path);
}

void NewProjectWindow::confirm()
{
    // A click that reaches the button while the package is being copied must not add the project twice.
    if (WorkProgress::running())
        return;

    ProjectRecord project;
    project.number = m_number->text();
    project.name = m_name->text();
    project.type = m_type->currentIndex();
    project.version = m_version->text();
    project.startTime = QDateTime(m_date->date(), QTime(0, 0));
    project.notes = TextCodec::toCrLf(m_notes->toPlainText());
    const bool packageRequired = !AppSettings().readFlag(SettingsKeys::kImportOptional);

    ProjectRules::AddOutcome outcome;
    {
        WorkProgress progress(this, QStringLiteral("正在复制文件，请稍候……"));
        outcome = ProjectRules::addProject(project, m_package->text(), packageRequired, progress.callback());
    }
    switch (outcome) {
    case ProjectRules::AddOutcome::Added:
        prepareForNextProject();
        Q_EMIT catalogueChanged();
        break;
    case ProjectRules::AddOutcome::Incomplete:
        Prompt::warning(this, QStringLiteral("填写不完整！"));
        break;
    case ProjectRules::AddOutcome::PackageMissing:
    case ProjectRules::AddOutcome::InvalidNumber: // no package could ever be stored under it
        Prompt::error(this, QStringLiteral("项目包文件不存在或读取失败！"));
        break;
    case ProjectRules::AddOutcome::DuplicateNumber:
        Prompt::error(this, QStringLiteral("已存在相同编号！"));
        break;
    case ProjectRules::AddOutcome::DatabaseError:
        showDatabaseError(this);
        break;
    }
}

void NewProjectWindow::prepareForNextProject()
{
    m_number->setText(ProjectNumber::generate(Clock::now()));
    m_name->clear();
    m_notes->clear();
    m_package->clear();
}

void NewProjectWindow::prefill(const QString& packagePath, const QString& name)
{
    m_package->setText(packagePath);
    m_name->setText(name);
}

void NewProjectWindow::addProjects(QWidget* parent, const std::function<void()>& changed, const QString& packagePath,
                                   const QString& name)
{
    NewProjectWindow dialog(parent);
    if (!packagePath.isEmpty())
        dialog.prefill(packagePath, name);
    connect(&dialog, &NewProjectWindow::catalogueChanged, &dialog, changed);
    dialog.exec();
}
