#include "store/ProjectRecord.h"

using namespace Qt::StringLiterals;

const QList<ProjectRecord::Field>& ProjectRecord::fields()
{
    using R = ProjectRecord;
    static const QList<Field> list{
        {u"number"_s, FieldKind::Text, &R::number},
        {u"name"_s, FieldKind::Text, &R::name},
        {u"type"_s, FieldKind::Integer, &R::type},
        {u"version"_s, FieldKind::Text, &R::version},
        {u"startTime"_s, FieldKind::DateTime, &R::startTime},
        {u"lastUpdate"_s, FieldKind::DateTime, &R::lastUpdate},
        {u"relatedProjects"_s, FieldKind::Text, &R::relatedProjects},
        {u"reserved8"_s, FieldKind::Text, &R::reserved8},
        {u"packageType"_s, FieldKind::Text, &R::packageType},
        {u"upgradeHistory"_s, FieldKind::Text, &R::upgradeHistory},
        {u"bugReport"_s, FieldKind::Text, &R::bugReport},
        {u"reserved12"_s, FieldKind::Text, &R::reserved12},
        {u"notes"_s, FieldKind::Text, &R::notes},
        {u"designPlan"_s, FieldKind::Text, &R::designPlan},
    };
    return list;
}

QVariant ProjectRecord::Field::get(const ProjectRecord& record) const
{
    return std::visit([&record](auto m) { return QVariant::fromValue(record.*m); }, member);
}

void ProjectRecord::Field::set(ProjectRecord& record, const QVariant& value) const
{
    std::visit(
        [&](auto m) {
            using Value = std::remove_reference_t<decltype(record.*m)>;
            if constexpr (std::is_same_v<Value, QString>)
                record.*m = value.toString();
            else if constexpr (std::is_same_v<Value, int>)
                record.*m = value.toInt();
            else
                record.*m = value.toDateTime();
        },
        member);
}

QVariantList ProjectRecord::toValues() const
{
    QVariantList values;
    values.reserve(fields().size());
    for (const Field& field : fields())
        values.append(field.get(*this));
    return values;
}

ProjectRecord ProjectRecord::fromValues(const QVariantList& values)
{
    ProjectRecord record;
    for (qsizetype i = 0; i < fields().size(); ++i)
        fields().at(i).set(record, values.value(i));
    return record;
}
