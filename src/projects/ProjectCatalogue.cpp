#include "projects/ProjectCatalogue.h"

#include "app/AppDir.h"
#include "platform/FileSystem.h"
#include "platform/ValueText.h"
#include "store/DataFolder.h"
#include "store/FindFold.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ProjectCatalogue {

namespace {

QStringList textOf(const QList<QVariant>& values)
{
    QStringList texts;
    texts.reserve(values.size());
    for (const QVariant& value : values)
        texts.append(ValueText::of(value));
    return texts;
}

} // namespace

ProjectRecord readProject(int recordNumber)
{
    ProjectTable projects;
    if (projects.open() && projects.goTo(recordNumber))
        return projects.readProject();
    return {};
}

Columns readColumns(int columns)
{
    Columns read;
    ProjectTable projects;
    read.tableRead = projects.open();
    qsizetype count = projects.recordCount();
    const auto column = [&](Column which, int field) {
        if (!(columns & which))
            return QList<QVariant>();
        QList<QVariant> values = projects.readColumn(field);
        count = std::min(count, values.size());
        return values;
    };
    read.numbers = textOf(column(Number, ProjectField::Number));
    read.names = textOf(column(Name, ProjectField::Name));
    read.versions = textOf(column(Version, ProjectField::Version));
    read.types = column(Type, ProjectField::Type);
    read.packageTypes = textOf(column(PackageType, ProjectField::PackageType));
    read.count = read.tableRead ? count : 0;
    return read;
}

std::optional<QList<int>> recordsWithText(const QString& text)
{
    // Asked at every keystroke: the index answers alone when it can, and only otherwise is the table opened
    // (which builds the index again, or searches every record where it cannot).
    const std::optional<QList<int>> indexed =
        RecordTable::indexedRecordsContaining(TableSchemas::projectTablePath(), FindFold::fold(text));
    if (indexed)
        return indexed;
    ProjectTable projects;
    if (!projects.open())
        return std::nullopt;
    return projects.recordsWithText(text);
}

QString packagePath(const QString& number)
{
    return DataFolder::packagePath(number);
}

QString storedPackage(const ProjectRecord& project)
{
    const QString package = packagePath(project.number);
    return TableSchemas::hasPackageFile(project.number) && QFileInfo(package).isFile() ? package : QString();
}

// The target's folder and, when it exists, the target itself are judged after every link is followed.
bool isInsideDataFolder(const QString& target)
{
    const QString data = QFileInfo(DataFolder::path()).canonicalFilePath();
    if (data.isEmpty())
        return false;
    const QFileInfo file(target);
    return FileSystem::isInside(QFileInfo(file.absolutePath()).canonicalFilePath(), data) ||
           FileSystem::isInside(file.canonicalFilePath(), data);
}

int typeCount()
{
    TypeTable types;
    types.open();
    return types.recordCount();
}

std::optional<QList<std::optional<QString>>> numbersOf(const QList<int>& recordNumbers)
{
    ProjectTable projects;
    if (!projects.open())
        return std::nullopt;
    QList<std::optional<QString>> numbers;
    numbers.reserve(recordNumbers.size());
    if (recordNumbers.size() > 1) {
        const QList<QVariant> column = projects.readColumn(ProjectField::Number);
        for (int record : recordNumbers) {
            if (record >= 1 && record <= column.size())
                numbers.append(ValueText::of(column.at(record - 1)));
            else
                numbers.append(std::nullopt);
        }
    } else {
        for (int record : recordNumbers) {
            if (projects.goTo(record))
                numbers.append(ValueText::of(projects.readField(ProjectField::Number)));
            else
                numbers.append(std::nullopt);
        }
    }
    return numbers;
}

std::optional<QString> lastUpdateText(int recordNumber)
{
    ProjectTable projects;
    if (!projects.open())
        return std::nullopt;
    projects.goTo(recordNumber);
    return ValueText::of(projects.readField(ProjectField::LastUpdate));
}

int recordOf(const QString& number)
{
    ProjectTable projects;
    if (projects.open() && projects.findProjectByNumber(number))
        return projects.currentRecordNumber();
    return 0;
}

QStringList parseRelated(const QString& stored)
{
    QStringList numbers;
    const QStringList pieces = stored.split(u"\r\n"_s);
    for (const QString& piece : pieces) {
        if (!QString(piece).remove(u' ').isEmpty())
            numbers.append(piece);
    }
    return numbers;
}

QString joinRelated(const QStringList& numbers)
{
    QString text;
    for (const QString& number : numbers)
        text += number + u"\r\n"_s;
    return text;
}

QList<Related> readRelated(int recordNumber)
{
    ProjectTable projects;
    projects.open();
    const QString stored =
        projects.goTo(recordNumber) ? projects.readField(ProjectField::RelatedProjects).toString() : QString();
    QList<Related> related;
    for (const QString& number : parseRelated(stored)) {
        std::optional<QString> name;
        if (projects.findProjectByNumber(number))
            name = projects.readField(ProjectField::Name).toString();
        related.append({number, name});
    }
    return related;
}

bool writeRelated(int recordNumber, const QStringList& numbers)
{
    ProjectTable projects;
    return projects.open() && projects.goTo(recordNumber) &&
           projects.writeField(ProjectField::RelatedProjects, joinRelated(numbers));
}

} // namespace ProjectCatalogue
