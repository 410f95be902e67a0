#include "tools/ToolTable.h"

#include "platform/ValueText.h"
#include "store/TableSchemas.h"

bool ToolTable::open()
{
    if (!RecordTable::open(TableSchemas::toolTablePath()))
        return false;
    announceWritesAs(CatalogueNotice::Part::Tools);
    return true;
}

Tool ToolTable::readTool() const
{
    return {ValueText::of(readField(ToolField::Name)), ValueText::of(readField(ToolField::Path)),
            ValueText::of(readField(ToolField::Description))};
}

bool ToolTable::appendTool(const Tool& tool)
{
    return appendRecord({tool.name, tool.path, tool.description});
}

bool ToolTable::modifyTool(const Tool& tool)
{
    return modifyRecord({tool.name, tool.path, tool.description});
}

QList<Tool> ToolTable::readNamesAndPaths() const
{
    const QList<QVariant> names = readColumn(ToolField::Name);
    const QList<QVariant> paths = readColumn(ToolField::Path);
    QList<Tool> tools;
    const qsizetype count = std::min(names.size(), paths.size());
    tools.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        tools.append({ValueText::of(names.at(i)), ValueText::of(paths.at(i)), {}});
    return tools;
}

Tool ToolTable::toolAt(int recordNumber)
{
    ToolTable table;
    if (recordNumber < 1 || !table.open() || !table.goTo(recordNumber))
        return {};
    return table.readTool();
}

QList<Tool> ToolTable::allNamesAndPaths()
{
    ToolTable table;
    return table.open() ? table.readNamesAndPaths() : QList<Tool>();
}

bool ToolTable::store(int recordNumber, const Tool& tool)
{
    ToolTable table;
    if (!table.open())
        return false;
    return recordNumber > 0 ? table.goTo(recordNumber) && table.modifyTool(tool) : table.appendTool(tool);
}

bool ToolTable::removeRecords(const QList<int>& recordNumbers)
{
    ToolTable table;
    if (!table.open())
        return false;
    return table.deleteRecords(recordNumbers);
}
