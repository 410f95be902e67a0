#include "projects/TrashBatch.h"

#include "platform/DurableFile.h"
#include "projects/ProjectTrash.h"
#include "store/TableSchemas.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace TrashBatch {

namespace {

const QString kRecords = u"records.json"_s;
// What an earlier version kept in an entry folder of one project.
const QString kSingleRecord = u"project.json"_s;
const QString kSinglePackage = u"package.fd1"_s;

QString dateTimeText(const QDateTime& value)
{
    return value.isValid() ? value.toString(Qt::ISODateWithMs) : QString();
}

QDateTime dateTimeOf(const QJsonValue& value)
{
    return QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
}

QJsonObject toJson(const Item& item)
{
    QJsonObject object{
        {u"key"_s, item.key},
        {u"deleted"_s, dateTimeText(item.deleted)},
        {u"package"_s, item.withPackage},
        {u"record"_s, item.hasRecord},
    };
    for (const ProjectRecord::Field& field : ProjectRecord::fields()) {
        const QVariant value = field.get(item.project);
        switch (field.kind) {
        case FieldKind::Integer:
            object.insert(field.name, value.toInt());
            break;
        case FieldKind::DateTime:
            object.insert(field.name, dateTimeText(value.toDateTime()));
            break;
        case FieldKind::Text:
        case FieldKind::Bytes:
            object.insert(field.name, value.toString());
            break;
        }
    }
    return object;
}

std::optional<Item> itemOf(const QJsonObject& o)
{
    if (!o.value(u"number"_s).isString())
        return std::nullopt;
    Item item;
    item.key = o.value(u"key"_s).toInt(-1);
    for (const ProjectRecord::Field& field : ProjectRecord::fields()) {
        const QJsonValue value = o.value(field.name);
        switch (field.kind) {
        case FieldKind::Integer:
            field.set(item.project, value.toInt());
            break;
        case FieldKind::DateTime:
            field.set(item.project, dateTimeOf(value));
            break;
        case FieldKind::Text:
        case FieldKind::Bytes:
            field.set(item.project, value.toString());
            break;
        }
    }
    item.deleted = dateTimeOf(o.value(u"deleted"_s));
    item.withPackage = o.value(u"package"_s).toBool();
    item.hasRecord = o.value(u"record"_s).toBool(true);
    return item;
}

bool present(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

QString deletingPrefix()
{
    return u".deleting-"_s;
}

QString removingPrefix()
{
    return u".removing-"_s;
}

QString droppingPrefix()
{
    return u".dropping-"_s;
}

QString pathOf(const QString& name)
{
    return ProjectTrash::folder() + u'/' + name;
}

QString packageOf(const QString& batchFolder, int key)
{
    return batchFolder + u'/' + QString::number(key) + TableSchemas::packageSuffix();
}

QString historyOf(const QString& batchFolder, int key)
{
    return batchFolder + u'/' + QString::number(key) + u".history"_s;
}

std::optional<QList<Item>> read(const QString& batchFolder)
{
    QFile file(batchFolder + u'/' + kRecords);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject() || !document.object().value(u"projects"_s).isArray())
        return std::nullopt;
    QList<Item> items;
    for (const QJsonValue& value : document.object().value(u"projects"_s).toArray()) {
        // A record damaged by hand is passed over; the others of its batch stay in the trash.
        const std::optional<Item> item = itemOf(value.toObject());
        if (item && item->key >= 0)
            items.append(*item);
    }
    return items;
}

bool write(const QString& batchFolder, const QList<Item>& items)
{
    QJsonArray projects;
    for (const Item& item : items)
        projects.append(toJson(item));
    return DurableFile::write(batchFolder + u'/' + kRecords,
                              QJsonDocument(QJsonObject{{u"projects"_s, projects}}).toJson());
}

QString idOf(const QString& name, int key)
{
    return name + u'/' + QString::number(key);
}

bool parseId(const QString& id, QString& name, int& key)
{
    const qsizetype slash = id.indexOf(u'/');
    bool isNumber = false;
    key = slash > 0 ? id.mid(slash + 1).toInt(&isNumber) : -1;
    name = id.left(slash);
    return isNumber && key >= 0 && !name.startsWith(u'.') && !name.contains(u'\\') && name != u".."_s;
}

QString freeName(const QDateTime& when)
{
    const QString stamp = when.toString(u"yyyyMMddHHmmsszzz"_s);
    for (int serial = 1;; ++serial) {
        const QString name = stamp + u'-' + QString::number(serial);
        if (!present(pathOf(name)) && !present(pathOf(deletingPrefix() + name)) &&
            !present(pathOf(removingPrefix() + name)))
            return name;
    }
}

QStringList names(const QString& prefix)
{
    QStringList found = QDir(ProjectTrash::folder()).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    found.removeIf(
        [&](const QString& name) { return prefix.isEmpty() ? name.startsWith(u'.') : !name.startsWith(prefix); });
    return found;
}

bool adoptSingleEntry(const QString& folder)
{
    const QString single = folder + u'/' + kSinglePackage;
    const QString singleRecord = folder + u'/' + kSingleRecord;
    if (!QFileInfo::exists(folder + u'/' + kRecords)) {
        QFile file(singleRecord);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
        std::optional<Item> item = document.isObject() ? itemOf(document.object()) : std::nullopt;
        if (!item)
            return false;
        item->key = 0;
        // The records first: from then on the folder is a batch, whichever name its package still has.
        if (!write(folder, {*item}))
            return false;
    }
    if (present(single) && !present(packageOf(folder, 0)) && !DurableFile::replace(single, packageOf(folder, 0)))
        return false;
    if (!present(single))
        QFile::remove(singleRecord);
    DurableFile::syncFolder(folder);
    return true;
}

} // namespace TrashBatch
