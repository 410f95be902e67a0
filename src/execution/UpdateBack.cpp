#include "execution/UpdateBack.h"

#include "archive/ZipArchive.h"
#include "execution/ExecutionPaths.h"
#include "execution/WorkFiles.h"
#include "execution/WorkLine.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/ValueText.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"
#include "ui/common/Prompt.h"
#include "ui/common/WorkProgress.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace UpdateBack {

namespace {

bool pack(const WorkLine& line, const QString& temporary, QWidget* parent)
{
    if (line.isZip()) {
        WorkFiles::removeIfEmpty(ExecutionPaths::markerPath(line.workingFolder()));
        int status = 0;
        {
            WorkProgress progress(parent, u"正在压缩项目文件，请稍候……"_s);
            status = ZipArchive::compress(line.workingFolder(), temporary, progress.callback());
        }
        if (status != ZipArchive::kOk || !QFileInfo(temporary).isFile()) {
            Prompt::error(parent, u"压缩文件失败，请手动压缩后导入。\r\n文件路径："_s + line.workingFolder());
            return false;
        }
        return true;
    }
    if (!WorkProgress::copyFile(parent, line.workFile(), temporary)) {
        Prompt::error(parent, u"更新项目出错，请手动更新该项目并删除此文件夹，项目文件路径为："_s +
                                  line.workFileWithoutExtension());
        return false;
    }
    return true;
}

// Stamps the project's last update, or re-creates its record when the project was deleted meanwhile.
bool stampRecord(const WorkLine& line, QWidget* parent)
{
    const QDateTime now = Clock::now();
    ProjectTable table;
    table.open();
    bool written = false;
    if (table.findProjectByNumber(line.number())) {
        written = table.writeField(ProjectField::LastUpdate, now);
    } else {
        Prompt::warning(parent, u"项目已不存在，系统将重建，请注意修改项目属性。"_s);
        ProjectRecord project;
        project.number = line.number();
        project.name = u"自动创建项目"_s;
        project.type = 0;
        project.version = u"1.0"_s;
        project.startTime = now;
        project.lastUpdate = now;
        project.packageType = line.type();
        project.notes =
            ValueText::date(now.date()) + u"在执行过程中项目文件丢失，此记录为系统自动创建，请您修改此项目的属性。"_s;
        written = table.appendProject(project);
    }
    table.close();
    return written;
}

} // namespace

bool run(const WorkLine& line, QWidget* parent, const std::function<void()>& removeLine)
{
    // A package left by an earlier update that could not store it is the only copy of that work.
    const QString temporary = WorkFiles::unusedPath(ExecutionPaths::temporaryPackage(line.number()));
    if (!pack(line, temporary, parent)) {
        removeLine();
        return false;
    }

    FileSystem::removeDirectory(line.workingFolder());
    removeLine();

    if (!WorkProgress::copyFile(parent, temporary, ProjectTable::packagePath(line.number()))) {
        Prompt::warning(parent, u"更新项目出错，请在程序中手动更新，已保存好的项目文件路径为："_s + temporary);
        return false;
    }

    const bool stamped = stampRecord(line, parent);
    QFile::remove(temporary);
    if (!stamped) {
        // The package is in the catalogue; only its record could not be written, which must not pass as success.
        showDatabaseError(parent);
        return false;
    }
    Prompt::information(parent, u"更新项目成功！"_s);
    return true;
}

} // namespace UpdateBack
