#include "execution/ExecuteCommand.h"

#include "archive/ZipArchive.h"
#include "execution/ChooseProgramWindow.h"
#include "execution/ExecutionPaths.h"
#include "execution/WorkFiles.h"
#include "execution/WorkLine.h"
#include "platform/FileSystem.h"
#include "store/ProjectTable.h"
#include "ui/common/Prompt.h"
#include "ui/common/WorkProgress.h"

using namespace Qt::StringLiterals;

namespace ExecuteCommand {

namespace {

ProjectRecord readProject(int recordNumber)
{
    ProjectTable table;
    table.open(); // a table that cannot be opened answers empty reads, and the work then fails visibly below
    return table.goTo(recordNumber) ? table.readProject() : ProjectRecord();
}

// Unpacks the package and lets the user pick the file to open; answers the chosen path (empty: none) or
// nothing at all when the package could not be unpacked.
bool unpack(const QString& storedPackage, const QString& workDir, QWidget* parent, QString& chosen)
{
    int status = 0;
    {
        WorkProgress progress(parent, u"正在解压程序文件包，请稍候……"_s);
        status = ZipArchive::extract(storedPackage, workDir, progress.callback());
    }
    if (status != ZipArchive::kOk) {
        Prompt::error(parent, u"解压程序文件包失败！"_s);
        return false;
    }
    WorkFiles::writeEmptyFile(ExecutionPaths::markerPath(workDir));
    chosen = ChooseProgramWindow::choose(workDir, parent);
    return true;
}

} // namespace

QString executeProject(int recordNumber, QWidget* parent)
{
    const ProjectRecord project = readProject(recordNumber);
    const QString storedPackage = ProjectTable::packagePath(project.number);

    const QString executionDir = ExecutionPaths::executionDir();
    if (executionDir.isEmpty()) {
        Prompt::warning(parent, u"您所指定的执行目录无效，请在系统设置中重新指定！"_s);
        return {};
    }
    const QString workDir = ExecutionPaths::workDir(executionDir, project.number);
    const QString workFile = ExecutionPaths::workFile(executionDir, project.number, project.packageType);

    // An existing folder fails too: the project is already in work and must be updated back or abandoned.
    // A number that is no single file name ("../x", "a/b") would put the work outside the execution directory.
    if (!FileSystem::isValidFileName(project.number) || !WorkFiles::createFolder(workDir)) {
        Prompt::warning(parent, u"创建程序目录失败，可能有以下原因：\r\n\r\n"
                                u"  1.您所指定的程序执行目录无效\r\n"
                                u"  2.当前已存在该文件目录，请执行程序更新\r\n"
                                u"  3.磁盘具有只读属性"_s);
        return {};
    }

    // The folder was made just now and holds nothing of the user's: a failed execute takes it away again, or
    // the next execute of the project would be refused as if it were in work.
    QString chosen;
    QString caption;
    if (ExecutionPaths::isZipType(project.packageType)) {
        if (!unpack(storedPackage, workDir, parent, chosen)) {
            FileSystem::removeDirectory(workDir);
            return {};
        }
        caption = WorkLine::zipCaption(workDir);
    } else {
        if (!WorkProgress::copyFile(parent, storedPackage, workFile)) {
            FileSystem::removeDirectory(workDir);
            Prompt::error(parent, u"复制文件出错！"_s);
            return {};
        }
        chosen = workFile;
        caption = WorkLine::fileCaption(workFile);
    }

    if (chosen.isEmpty()) {
        FileSystem::removeDirectory(workDir);
        return {};
    }
    Prompt::openWithShell(chosen);
    return caption;
}

} // namespace ExecuteCommand
