#include "store/DataFormat.h"

#include "store/RecordTable.h"
#include "store/TableSchemas.h"

#include <QFileInfo>

namespace DataFormat {

Outcome upgrade(const QString& folder)
{
    QList<TableSchemas::Table> older;
    for (const TableSchemas::Table& table : TableSchemas::tables()) {
        const QString path = folder + u'/' + table.fileName;
        if (!QFileInfo::exists(path))
            continue;
        switch (RecordTable::shapeOf(path, table.accessPassword, table.fields)) {
        case RecordTable::Shape::Newer:
            return Outcome::Newer;
        case RecordTable::Shape::Older:
            older.append(table);
            break;
        case RecordTable::Shape::Current:
        case RecordTable::Shape::Other:
            break;
        }
    }
    for (const TableSchemas::Table& table : std::as_const(older)) {
        if (RecordTable::upgrade(folder + u'/' + table.fileName, table.accessPassword, table.fields) !=
            RecordTable::Upgrade::Upgraded)
            return Outcome::Failed;
    }
    return older.isEmpty() ? Outcome::Current : Outcome::Upgraded;
}

} // namespace DataFormat
