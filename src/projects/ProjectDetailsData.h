#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// What the details view of the project list shows of every project beyond what the icon view has read already
// (number, name, version, type): the two times, record by record (row i is record i + 1), and the type names.
// The package sizes are not read here: a stat per project would cost more than all the columns together, so the
// view asks for them as rows come into sight.
namespace ProjectDetailsData {

struct Columns
{
    bool tableRead = false;
    qsizetype count = 0;
    QStringList typeNames; // by type index
    // "2026-12-07 09:30:05", which sorts as the times do; empty for none.
    QStringList startTimes;
    QStringList lastUpdates;
};

Columns read();

// The name of the type a record's type field holds; empty for one the type table does not hold.
QString typeName(const Columns& columns, const QVariant& type);

// The size of the project's stored package in bytes, or -1 when it has none.
qint64 packageSize(const QString& number);

} // namespace ProjectDetailsData
