#include "projects/ProjectDetailsData.h"

#include "projects/ProjectCatalogue.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QDateTime>
#include <QFileInfo>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace ProjectDetailsData {

namespace {

QStringList textOf(const QList<QVariant>& values)
{
    QStringList texts;
    texts.reserve(values.size());
    for (const QVariant& value : values)
        texts.append(value.toString());
    return texts;
}

// The stored text as it is shown: read undecoded, since making 200,000 local times costs more than all the
// columns of the list together.
QStringList timesOf(QStringList stored)
{
    for (QString& text : stored) {
        if ((text.size() == 19 || text.size() == 23) && text.at(10) == u'T') {
            text.truncate(19);
            text[10] = u' ';
        } else if (!text.isEmpty()) {
            const QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
            text = time.isValid() ? time.toString(u"yyyy-MM-dd HH:mm:ss"_s) : QString();
        }
    }
    return stored;
}

} // namespace

Columns read()
{
    Columns read;
    ProjectTable projects;
    read.tableRead = projects.open();
    if (!read.tableRead)
        return read;
    read.startTimes = timesOf(projects.readColumnText(ProjectField::StartTime));
    read.lastUpdates = timesOf(projects.readColumnText(ProjectField::LastUpdate));
    read.count = std::min(read.startTimes.size(), read.lastUpdates.size());
    TypeTable types;
    if (types.open())
        read.typeNames = textOf(types.readColumn(TypeField::Name));
    return read;
}

QString typeName(const Columns& columns, const QVariant& type)
{
    bool numeric = false;
    const int index = type.toInt(&numeric);
    return numeric && index >= 0 && index < columns.typeNames.size() ? columns.typeNames.at(index) : QString();
}

qint64 packageSize(const QString& number)
{
    if (!TableSchemas::hasPackageFile(number))
        return -1;
    const QFileInfo package(ProjectCatalogue::packagePath(number));
    return package.isFile() ? package.size() : -1;
}

} // namespace ProjectDetailsData
