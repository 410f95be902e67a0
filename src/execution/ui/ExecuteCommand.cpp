#include "execution/ui/ExecuteCommand.h"

#include "execution/ExecuteSteps.h"
#include "execution/ui/ChooseProgramWindow.h"
#include "ui/common/Prompt.h"
#include "ui/common/WorkProgress.h"

using namespace Qt::StringLiterals;

namespace ExecuteCommand {

QString executeProject(int recordNumber, QWidget* parent)
{
    const ExecuteSteps::Work work = ExecuteSteps::prepare(recordNumber);
    switch (work.outcome) {
    case ExecuteSteps::Outcome::Ready:
        break;
    case ExecuteSteps::Outcome::NoExecutionDir:
        Prompt::warning(parent, u"您所指定的执行目录无效，请在系统设置中重新指定！"_s);
        return {};
    case ExecuteSteps::Outcome::FolderNotMade:
        Prompt::warning(parent, u"创建程序目录失败，可能有以下原因：\r\n\r\n"
                                u"  1.您所指定的程序执行目录无效\r\n"
                                u"  2.当前已存在该文件目录，请执行程序更新\r\n"
                                u"  3.磁盘具有只读属性"_s);
        return {};
    }

    QString chosen;
    if (work.zip) {
        bool unpacked = false;
        {
            WorkProgress progress(parent, u"正在解压程序文件包，请稍候……"_s);
            unpacked = ExecuteSteps::unpack(work, progress.callback());
        }
        if (!unpacked) {
            Prompt::error(parent, u"解压程序文件包失败！"_s);
            return {};
        }
        chosen = ChooseProgramWindow::choose(work.workDir, parent);
    } else {
        bool copied = false;
        {
            WorkProgress progress(parent, u"正在复制文件，请稍候……"_s);
            copied = ExecuteSteps::copy(work, progress.callback());
        }
        if (!copied) {
            Prompt::error(parent, u"复制文件出错！"_s);
            return {};
        }
        chosen = work.workFile;
    }

    if (chosen.isEmpty()) {
        ExecuteSteps::discard(work);
        return {};
    }
    Prompt::openWithShell(chosen);
    return ExecuteSteps::caption(work);
}

} // namespace ExecuteCommand
