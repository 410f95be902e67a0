#include "DataInstaller.h"

#include "DefaultTypeTable.h"
#include "RecordTable.h"
#include "TableFiles.h"
#include "TableSchemas.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool installPasswordTable(const QString& path)
{
    // Filled under a temporary name: a password table without its record would lock the user out.
    const QString temp = TableFiles::temporaryTablePath(path);
    const QString access = TableSchemas::passwordTableAccessPassword();
    bool ok = RecordTable::create(temp, TableSchemas::passwordFields(), access);
    if (ok) {
        RecordTable table;
        ok = table.open(temp, access) && table.appendRecord({TableSchemas::initialLoginPassword()});
        table.close();
    }
    ok = ok && TableFiles::moveIntoPlace(temp, {}, path, {}, false);
    if (!ok)
        QFile::remove(temp);
    return ok;
}

} // namespace

bool installMissingData(const QString& appDir)
{
    const QString dataDir = appDir + u'/' + TableSchemas::dataFolderName();
    if (!QDir().mkpath(dataDir))
        return false;
    const auto inData = [&](const QString& name) -> QString { return dataDir + u'/' + name; };

    bool ok = true;
    const QString projectPath = inData(TableSchemas::projectTableFileName());
    if (!QFileInfo::exists(projectPath))
        ok = RecordTable::create(projectPath, TableSchemas::projectFields()) && ok;

    const QString typePath = inData(TableSchemas::typeTableFileName());
    if (!QFileInfo::exists(typePath))
        ok = !QFileInfo::exists(inData(TableSchemas::typeBytesFileName())) && writeDefaultTypeTable(dataDir) && ok;

    const QString toolPath = inData(TableSchemas::toolTableFileName());
    if (!QFileInfo::exists(toolPath))
        ok = RecordTable::create(toolPath, TableSchemas::toolFields()) && ok;

    const QString passwordPath = inData(TableSchemas::passwordTableFileName());
    if (!QFileInfo::exists(passwordPath))
        ok = installPasswordTable(passwordPath) && ok;
    return ok;
}
