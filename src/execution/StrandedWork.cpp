#include "execution/StrandedWork.h"

#include "execution/ExecutionPaths.h"
#include "execution/WorkLine.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace StrandedWork {

namespace {

// Project number -> package type; the first record of a number counts, as findProjectByNumber would.
QHash<QString, QString> catalogue()
{
    ProjectTable table;
    QHash<QString, QString> types;
    if (!table.open())
        return types;
    const QList<QVariant> numbers = table.readColumn(ProjectField::Number);
    const QList<QVariant> packageTypes = table.readColumn(ProjectField::PackageType);
    table.close();
    for (qsizetype i = 0; i < numbers.size() && i < packageTypes.size(); ++i) {
        const QString number = numbers.at(i).toString();
        if (!number.isEmpty() && !types.contains(number))
            types.insert(number, packageTypes.at(i).toString());
    }
    return types;
}

} // namespace

QStringList findLines()
{
    const QString executionDir = ExecutionPaths::executionDir();
    if (executionDir.isEmpty() || !QFileInfo(executionDir).isDir())
        return {};
    const QStringList folders =
        QDir(executionDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    if (folders.isEmpty())
        return {};

    const QHash<QString, QString> types = catalogue();
    QStringList lines;
    for (const QString& number : folders) {
        const auto type = types.constFind(number);
        if (type == types.constEnd())
            continue;
        const QString workDir = ExecutionPaths::workDir(executionDir, number);
        if (QFileInfo(ExecutionPaths::markerPath(workDir)).isFile()) {
            lines.append(WorkLine::zipCaption(workDir));
            continue;
        }
        const QString workFile = ExecutionPaths::workFile(executionDir, number, *type);
        if (!ExecutionPaths::isZipType(*type) && QFileInfo(workFile).isFile())
            lines.append(WorkLine::fileCaption(workFile));
    }
    return lines;
}

} // namespace StrandedWork
