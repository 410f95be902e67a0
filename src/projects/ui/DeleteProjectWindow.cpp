#include "projects/ui/DeleteProjectWindow.h"

#include "app/AppSettings.h"
#include "projects/ProjectRules.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/common/WorkProgress.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

DeleteProjectWindow::DeleteProjectWindow(const QList<int>& recordNumbers, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_records(recordNumbers)
{
    named(this, u"DeleteProjectWindow"_s);
    setFixedSize(274, 120);

    auto* group = placed(new QGroupBox(u"删除方式"_s, this), u"分组框1"_s, QRect(8, 8, 256, 56));
    m_withPackages = placed(new QCheckBox(u"关联项目文件包"_s, group), u"关联文件选择框"_s, QRect(70, 20, 121, 24));
    m_withPackages->setChecked(AppSettings().readFlag(SettingsKeys::kDeleteWithPackage));
    // Several projects may be selected, some out of sight in a long list: the window says how many go.
    auto* count =
        placedLabel(this, u"数量标签"_s, u"将删除 %1 个项目"_s.arg(recordNumbers.size()), QRect(8, 68, 256, 18));
    count->setAlignment(Qt::AlignCenter);
    auto* ok = placed(new QPushButton(u"确  定"_s, this), u"确定按钮"_s, QRect(41, 89, 96, 26));
    auto* cancel = placed(new QPushButton(u"取  消"_s, this), u"取消按钮"_s, QRect(137, 89, 96, 26));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &DeleteProjectWindow::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    speakAsSeen(this);
    // The window has no title; the name of the button that opened it says what it is for.
    setAccessibleName(u"删除项目"_s);
}

void DeleteProjectWindow::deleteProjects(const QList<int>& recordNumbers, QWidget* parent)
{
    DeleteProjectWindow dialog(recordNumbers, parent);
    dialog.exec();
}

void DeleteProjectWindow::confirm()
{
    if (WorkProgress::running())
        return;
    Prompt::play(Prompt::Sound::Delete);
    int deleted = 0;
    {
        WorkProgress progress(this, u"正在删除项目，请稍候……"_s);
        deleted = ProjectRules::deleteProjects(m_records, m_withPackages->isChecked(), progress.callback());
    }
    if (deleted == ProjectRules::kDeleteFailed)
        showDatabaseError(this);
    accept();
}

void DeleteProjectWindow::done(int result)
{
    // However the dialog goes (确定, 取消, the close box, Esc), the box's state is the next default.
    AppSettings().writeFlag(SettingsKeys::kDeleteWithPackage, m_withPackages->isChecked());
    QDialog::done(result);
}
