#pragma once

#include "store/RecordTable.h"

#include <QList>
#include <QString>

// One entry of the launcher list.
struct Tool
{
    QString name;
    QString path;        // what the shell opens: a file, folder, program or web address
    QString description; // free text, CR LF line breaks

    bool operator==(const Tool&) const = default;
};

// The tools and resources, opened by their path relative to appDir. Record n is item n - 1 of a freshly
// filled tool list.
class ToolTable : public RecordTable
{
public:
    bool open();

    // The current record; an empty tool when the table is not positioned on one.
    Tool readTool() const;
    bool appendTool(const Tool& tool);
    bool modifyTool(const Tool& tool);

    // Name and path of every record in table order; the 简介 text is not read.
    QList<Tool> readNamesAndPaths() const;

    // Each in one open and close of the table:
    // the record at `recordNumber`, or an empty tool when there is none;
    static Tool toolAt(int recordNumber);
    // name and path of every record (none when the table cannot be read);
    static QList<Tool> allNamesAndPaths();
    // the tool written over the record `recordNumber`, or appended when it is 0; false when not written.
    static bool store(int recordNumber, const Tool& tool);
    // Marks every given record deleted, then packs once, so the numbers stay valid during the loop.
    static bool removeRecords(const QList<int>& recordNumbers);
};
