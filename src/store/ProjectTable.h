#pragma once

#include "store/ProjectRecord.h"
#include "store/RecordTable.h"

// The catalogue: one record per project, opened by its path relative to appDir.
class ProjectTable : public RecordTable
{
public:
    bool open();

    // The current record; an empty record when the table is not positioned on one.
    ProjectRecord readProject() const;
    // Appends the project and stays on it.
    bool appendProject(const ProjectRecord& project);
    // Rewrites every field of the current record.
    bool modifyProject(const ProjectRecord& project);

    // Goes to the first record whose number equals `number` byte for byte (no trimming, case-sensitive).
    bool findProjectByNumber(const QString& number);

    // The records whose notes, design plan, bug report or upgrade history contains `text`, compared as find
    // compares (FindFold), in record order; nothing when the table cannot be read.
    std::optional<QList<int>> recordsWithText(const QString& text) const;

    // The package type recorded for a chosen file: the text after the last "." of the file's name, empty when
    // the name holds none.
    static QString extensionOf(const QString& path);
};

// The project types; record n is the type with index n - 1.
class TypeTable : public RecordTable
{
public:
    bool open();
};
