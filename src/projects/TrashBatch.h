#pragma once

#include "store/ProjectRecord.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// How the trash lies on disk. Each command that puts projects in the trash makes one batch: a folder
// data/trash/<batch>/ holding records.json (the records of all its projects, each under a key) and, for each key,
// the package <key>.fd1 and the earlier packages <key>.history/ when they came along. A project is in the trash
// while its key is listed in records.json; so a thousand projects cost one synced file and one synced folder,
// not a thousand of each.
namespace TrashBatch {

struct Item
{
    int key = 0;
    ProjectRecord project;
    QDateTime deleted;
    bool withPackage = false; // its package was meant to come along
    bool hasRecord = true;    // false: only a package that belonged to no project (检查数据's 删除文件)
};

// The names a batch folder has while it is on its way; only complete batches are listed.
QString deletingPrefix();
QString removingPrefix();
// Some keys of a batch on their way out: ".dropping-<batch>~<n>" holds their files and an empty "<key>.key" for each,
// so a start that finds it knows which keys to take out of the batch's records.
QString droppingPrefix();

// data/trash/<name>
QString pathOf(const QString& name);
QString packageOf(const QString& batchFolder, int key);
QString historyOf(const QString& batchFolder, int key);

// The items listed in the batch; nothing when its records cannot be read.
std::optional<QList<Item>> read(const QString& batchFolder);
// Replaces the batch's records by `items`, synced.
bool write(const QString& batchFolder, const QList<Item>& items);

// The id of an entry, "<batch>/<key>", and back; false for an id that names no complete batch's key.
QString idOf(const QString& name, int key);
bool parseId(const QString& id, QString& name, int& key);

// A batch name for a command started at `when` that no batch has in any of its states.
QString freeName(const QDateTime& when);

// The batch folders whose names start with `prefix`; with an empty prefix the complete ones.
QStringList names(const QString& prefix = {});

// Entry folders an earlier version of the program made, one project each with project.json and package.fd1, are
// made batches of one. Answers whether the folder is now one.
bool adoptSingleEntry(const QString& folder);

} // namespace TrashBatch
