#include "CatalogBuilder.h"

#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

using namespace Qt::StringLiterals;

namespace CatalogBuilder {

bool addProject(const Project& p)
{
    ProjectTable table;
    if (!table.open())
        return false;
    ProjectRecord record;
    record.number = p.number;
    record.name = p.name;
    record.type = p.type;
    record.version = p.version;
    record.startTime = p.lastUpdate;
    record.lastUpdate = p.lastUpdate;
    record.packageType = p.packageType;
    return table.appendProject(record);
}

int projectCount()
{
    ProjectTable table;
    table.open();
    return table.recordCount();
}

QStringList projectNumbers()
{
    ProjectTable table;
    QStringList numbers;
    if (table.open()) {
        for (const QVariant& number : table.readColumn(ProjectField::Number))
            numbers.append(number.toString());
    }
    return numbers;
}

ProjectRecord fullRecord(const QString& number)
{
    ProjectRecord p;
    p.number = number;
    p.name = u"项目"_s + number;
    p.type = 2;
    p.version = u"1.4"_s;
    p.startTime = QDateTime(QDate(2025, 3, 1), QTime(0, 0));
    p.lastUpdate = QDateTime(QDate(2025, 6, 1), QTime(10, 0, 7, 250));
    p.relatedProjects = u"B\r\nC\r\n"_s;
    p.reserved8 = u"r8"_s;
    p.packageType = u"zip"_s;
    p.upgradeHistory = u"历史\r\n第二行"_s;
    p.bugReport = u"缺陷"_s;
    p.reserved12 = u"r12"_s;
    p.notes = u"第一行\r\n第二行 \"引号\""_s;
    p.designPlan = u"规划"_s;
    return p;
}

QList<ProjectRecord> allProjects()
{
    QList<ProjectRecord> projects;
    ProjectTable table;
    table.open();
    for (table.goFirst(); !table.pastLast(); table.skip())
        projects.append(table.readProject());
    return projects;
}

bool makeTypes(int count, const QList<QByteArray>& pictures)
{
    QFile::remove(TableSchemas::typeTablePath());
    QFile::remove(QStringLiteral("data/type.edt"));
    if (!RecordTable::create(TableSchemas::typeTablePath(), TableSchemas::typeFields()))
        return false;
    RecordTable table;
    if (!table.open(TableSchemas::typeTablePath()))
        return false;
    for (int i = 0; i < count; ++i) {
        QByteArray picture = i < pictures.size() ? pictures.at(i) : QByteArray();
        if (picture.isEmpty()) {
            QImage image(32, 32, QImage::Format_RGB32);
            image.fill(QColor::fromHsv((i * 37) % 360, 200, 220));
            QBuffer buffer(&picture);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
        }
        if (!table.appendRecord({QStringLiteral("类型%1").arg(i + 1), picture}))
            return false;
    }
    return true;
}

} // namespace CatalogBuilder
