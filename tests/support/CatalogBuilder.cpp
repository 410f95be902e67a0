#include "CatalogBuilder.h"

#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

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
