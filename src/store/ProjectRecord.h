#pragma once

#include <QDateTime>
#include <QString>
#include <QVariantList>

// One project of the catalogue, its fourteen fields by name. Texts keep their stored CR LF line breaks; an
// empty text or an invalid date-time is an empty field.
struct ProjectRecord
{
    QString number; // the unique key, compared byte for byte
    QString name;
    int type = 0; // 0-based index into the type table
    QString version;
    QDateTime startTime;
    QDateTime lastUpdate;
    QString relatedProjects; // numbers, each followed by CR LF
    QString reserved8;
    QString packageType; // extension of the stored package, without the dot
    QString upgradeHistory;
    QString bugReport;
    QString reserved12;
    QString notes;
    QString designPlan;

    // The values of fields 1 to 14, in the kinds the project table stores.
    QVariantList toValues() const;
    // The record from the values of fields 1 to 14; missing or unreadable values leave their field empty.
    static ProjectRecord fromValues(const QVariantList& values);

    bool operator==(const ProjectRecord&) const = default;
};
