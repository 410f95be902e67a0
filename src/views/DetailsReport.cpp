#include "views/DetailsReport.h"

#include "platform/ValueText.h"
#include "projects/ProjectCatalogue.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QFileInfo>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

double roundedTo2(double value)
{
    return std::round(value * 100.0) / 100.0;
}

QString withThousands(qint64 bytes)
{
    QString digits = QString::number(bytes);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u',');
    return digits;
}

QString typeName(int type)
{
    TypeTable types;
    if (!types.open() || type < 0 || !types.goTo(type + 1))
        return {}; // a type past the last record has no name to show
    return ValueText::of(types.readField(int(TypeField::Name)));
}

} // namespace

namespace DetailsReport {

QString rule()
{
    return QString(66, u'-');
}

QString sizeText(qint64 bytes)
{
    QString size = QString::number(bytes) + u"字节"_s;
    if (bytes > 1024) {
        // The MB value comes from the KB value as shown, so the two never disagree in their last digit.
        const double kb = roundedTo2(double(bytes) / 1024.0);
        size = ValueText::number(kb) + u"KB"_s;
        if (kb > 1024)
            size = ValueText::number(roundedTo2(kb / 1024.0)) + u"MB"_s;
    }
    return size;
}

QString sizeLine(qint64 bytes)
{
    return u"文件尺寸："_s + sizeText(bytes) + u" ("_s + withThousands(bytes) + u"字节)"_s;
}

QString build(int recordNumber)
{
    const ProjectRecord project = ProjectCatalogue::readProject(recordNumber);
    const QString package = ProjectCatalogue::packagePath(project.number);
    const QFileInfo packageFile(package);
    const qint64 bytes = packageFile.isFile() ? packageFile.size() : 0;

    const QString crlf = u"\r\n"_s;
    return crlf + u"项目编号："_s + project.number + crlf + u"项目包路径："_s + package + crlf + u"项目名称："_s +
           project.name + crlf + u"项目类型："_s + typeName(project.type) + crlf + u"版本："_s + project.version +
           crlf + rule() + crlf + u"开始时间："_s + ValueText::dateTime(project.startTime) + crlf + u"最后更新："_s +
           ValueText::dateTime(project.lastUpdate) + crlf + crlf + u"备注："_s + crlf + project.notes + crlf + crlf +
           rule() + crlf + sizeLine(bytes);
}

} // namespace DetailsReport
