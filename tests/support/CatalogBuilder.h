#pragma once

#include "store/ProjectRecord.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// Small builders for the tables a test starts from.
namespace CatalogBuilder {

struct Project
{
    QString number;
    QString name;
    int type = 0;
    QString version = QStringLiteral("1.0");
    QDateTime lastUpdate = QDateTime(QDate(2026, 12, 7), QTime(9, 30, 5));
    QString packageType = QStringLiteral("zip");
};

// Appends a project record to data/DB.EDB below the current directory; answers success.
bool addProject(const Project& project);
int projectCount();
// The number of every record, in record order; none when the table cannot be read.
QStringList projectNumbers();
// A project with every field filled (texts with line breaks and quotes, a time with milliseconds), so a test
// sees which fields a command leaves alone, drops or rounds.
ProjectRecord fullRecord(const QString& number);
// Every record of data/DB.EDB, in record order.
QList<ProjectRecord> allProjects();
// Replaces data/type.edb + type.edt by a table with `count` types whose pictures are the given bytes
// (an empty list gives small generated PNG pictures).
bool makeTypes(int count, const QList<QByteArray>& pictures = {});

} // namespace CatalogBuilder
