#include "projects/ui/ExportProject.h"

#include "projects/ProjectCatalogue.h"
#include "ui/common/Prompt.h"
#include "ui/common/WorkProgress.h"

using namespace Qt::StringLiterals;

namespace {

// The save dialog's filter and default extension for a package type, chosen by its lower-case form.
Prompt::FileDialog exportDialog(const QString& packageType)
{
    Prompt::FileDialog dialog;
    dialog.title = u"导出"_s;
    const QString type = packageType.toLower();
    if (type == u"zip") {
        dialog.filter = u"ZIP压缩档案(*.ZIP)|*.zip|*.*|*.*"_s;
    } else if (type == u"e") {
        dialog.filter = u"易程序(*.E)|*.e|*.*|*.*"_s;
    } else if (type == u"ec") {
        dialog.filter = u"易语言模块(*.EC)|*.ec|*.*|*.*"_s;
    } else if (type == u"dll") {
        dialog.filter = u"DLL动态链接库(*.DLL)|*.dll|*.*|*.*"_s;
    } else {
        dialog.filter = packageType.toUpper() + u"文件(*."_s + packageType + u")|*."_s + packageType + u"|*.*|*.*"_s;
        dialog.defaultSuffix = packageType;
        return dialog;
    }
    dialog.defaultSuffix = type;
    return dialog;
}

// The name the save dialog offers with the type's extension. The extension is written out because the dialog takes
// a version's last part ("1.0") for one and would add none.
QString withExtension(const QString& name, const QString& extension)
{
    if (extension.isEmpty() || name.endsWith(u'.' + extension, Qt::CaseInsensitive))
        return name;
    return name + u'.' + extension;
}

} // namespace

bool exportProject(int recordNumber, QWidget* parent)
{
    const ProjectRecord project = ProjectCatalogue::readProject(recordNumber);
    const QString source = ProjectCatalogue::storedPackage(project);
    if (source.isEmpty()) {
        Prompt::error(parent, u"项目文件已丢失或未导入！"_s);
        return false;
    }
    return exportPackage(source, project.packageType, project, parent);
}

bool exportPackage(const QString& package, const QString& packageType, const ProjectRecord& project, QWidget* parent)
{
    return exportPackageAs(package, packageType, project.name + u' ' + project.version, parent);
}

bool exportPackageAs(const QString& package, const QString& packageType, const QString& name, QWidget* parent)
{
    Prompt::FileDialog dialog = exportDialog(packageType);
    dialog.initialPath = withExtension(name, dialog.defaultSuffix);
    const QString target = Prompt::saveFile(parent, dialog);
    if (target.isEmpty())
        return false;
    if (ProjectCatalogue::isInsideDataFolder(target)) {
        Prompt::error(parent, u"导出文件失败！"_s);
        return false;
    }

    // The copy goes to a temporary file beside the target that replaces it only when complete: a full disk
    // or a read-only folder leaves no partial file, and the stored package chosen as target stays whole.
    if (!WorkProgress::copyFile(parent, package, target)) {
        Prompt::error(parent, u"导出文件失败！"_s);
        return false;
    }
    return true;
}
