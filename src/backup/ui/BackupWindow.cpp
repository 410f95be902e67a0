#include "backup/ui/BackupWindow.h"

#include "backup/DataBackup.h"
#include "platform/Clock.h"
#include "platform/ValueText.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/common/WorkProgress.h"

#include <QGroupBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

const QString kFilter = u"备份文件（*.fd2）|*.fd2"_s;

} // namespace

BackupWindow::BackupWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    named(this, u"BackupWindow"_s);
    setWindowTitle(u"数据库"_s);
    setFixedSize(388, 119);

    auto* group = placed(new QGroupBox(u"项目数据操作"_s, this), u"分组框2"_s, QRect(9, 8, 360, 69));
    auto* backUpButton = placed(new QPushButton(u"导出项目数据"_s, group), u"导出按钮"_s, QRect(54, 22, 104, 32));
    auto* restoreButton = placed(new QPushButton(u"导入项目数据"_s, group), u"导入按钮"_s, QRect(200, 22, 104, 32));

    // While an archive is written or read nothing else may start, however the button was pressed.
    connect(backUpButton, &QPushButton::clicked, this, [this] {
        if (!WorkProgress::running())
            backUp();
    });
    connect(restoreButton, &QPushButton::clicked, this, [this] {
        if (!WorkProgress::running())
            restore();
    });
    speakAsSeen(this);
}

void BackupWindow::backUpOrRestore(QWidget* parent)
{
    BackupWindow window(parent);
    window.exec();
}

void BackupWindow::tellInterruptedRestore(QWidget* parent, DataBackup::Interrupted interrupted)
{
    switch (interrupted) {
    case DataBackup::Interrupted::None:
        return;
    case DataBackup::Interrupted::Finished:
        Prompt::information(parent, u"上次导入数据被中断，现已完成导入！"_s);
        return;
    case DataBackup::Interrupted::RolledBack:
        Prompt::warning(parent, u"上次导入数据被中断，已恢复为导入前的数据！"_s);
        return;
    case DataBackup::Interrupted::Failed:
        Prompt::error(parent, u"上次导入数据被中断，恢复数据失败！请关闭程序后检查数据目录！"_s);
        return;
    }
}

void BackupWindow::backUp()
{
    Prompt::FileDialog dialog;
    dialog.title = u"请选择您要导出到的目录"_s;
    dialog.filter = kFilter;
    dialog.defaultSuffix = u"fd2"_s;
    dialog.initialPath = u"FBak_"_s + ValueText::dateTime(Clock::now());
    const QString path = Prompt::saveFile(this, dialog);
    if (path.isEmpty())
        return;
    bool done = false;
    QStringList links;
    {
        WorkProgress progress(this, u"正在导出数据，请稍候……"_s);
        done = DataBackup::backUp(path, progress.callback(), &links);
    }
    if (!done && !links.isEmpty()) {
        Prompt::error(this, u"导出数据失败！数据目录中的以下文件夹或文件是链接，备份无法包含它们所指的内容：\r\n"_s +
                                links.join(u"\r\n"_s));
        return;
    }
    if (!done) {
        Prompt::error(this, u"导出数据失败！"_s);
        return;
    }
    Prompt::information(this, u"导出成功"_s);
    accept();
}

void BackupWindow::restore()
{
    if (!Prompt::okCancel(this, u"您确定要要导入数据吗？这会将当前数据覆盖！"_s))
        return;
    Prompt::FileDialog dialog;
    dialog.title = u"请选择要导入的数据"_s;
    dialog.filter = kFilter;
    dialog.defaultSuffix = u"fd2"_s;
    const QString path = Prompt::openFile(this, dialog);
    if (path.isEmpty())
        return;
    DataBackup::RestoreOutcome outcome = DataBackup::RestoreOutcome::Failed;
    {
        WorkProgress progress(this, u"正在导入数据，请稍候……"_s);
        outcome = DataBackup::restore(path, progress.callback());
    }
    switch (outcome) {
    case DataBackup::RestoreOutcome::Restored:
        break;
    case DataBackup::RestoreOutcome::FromNewerProgram:
        Prompt::error(this, u"备份来自更新版本的程序，无法导入！"_s);
        return;
    case DataBackup::RestoreOutcome::Failed:
        Prompt::error(this, u"导入数据库失败！"_s);
        return;
    }
    Prompt::information(this, u"导入成功"_s);
    accept();
}
