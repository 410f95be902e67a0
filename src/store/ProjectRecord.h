#pragma once

#include "store/RecordTable.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariantList>

#include <variant>

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

    // A field as the table and the trash's records know it: its name there, the kind the table stores and the
    // member that holds it. fields() lists them in the table's order (field 1 first, as ProjectField numbers
    // them); the record's values, the table's schema, the read loop and the trash's records all follow it, so a
    // field is added there and as a member, and nowhere else.
    struct Field
    {
        QString name;
        FieldKind kind = FieldKind::Text;
        std::variant<QString ProjectRecord::*, int ProjectRecord::*, QDateTime ProjectRecord::*> member;

        QVariant get(const ProjectRecord& record) const;
        // A value of another kind, or none, leaves the field empty.
        void set(ProjectRecord& record, const QVariant& value) const;
    };
    static const QList<Field>& fields();

    // The values of fields 1 to 14, in the kinds the project table stores.
    QVariantList toValues() const;
    // The record from the values of fields 1 to 14; missing or unreadable values leave their field empty.
    static ProjectRecord fromValues(const QVariantList& values);

    bool operator==(const ProjectRecord&) const = default;
};
