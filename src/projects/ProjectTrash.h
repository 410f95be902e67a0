#pragma once

#include "store/ProjectRecord.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>

// The projects 删除项目 took away, kept in data/trash/ (inside the data folder, so a backup carries them) until
// 还原 puts them back, 清空回收站 empties the trash, or they are older than the days kept.
//
// Each entry is a folder holding the project's record and, when it came along, its package. A folder is made
// under a pending name and takes its own name only once the move it belongs to is complete; recover() at the
// next start finishes or undoes what a run that ended midway left, so every project is in the catalogue or in
// the trash, and in only one of them.
namespace ProjectTrash {

struct Entry
{
    QString id; // the entry's folder name, unique inside the trash
    ProjectRecord project;
    QDateTime deleted;
    bool withPackage = false; // its package lies in the trash with it
    bool hasRecord = true;    // false: only a package that belonged to no project (检查数据's 删除文件)
};

constexpr int kKeptDays = 30;
constexpr int kMoveFailed = -1;

// appDir + "/data/trash"
QString folder();

// Moves the projects with these record numbers into the trash, their packages too with `withPackages`: the
// entries are made, the records deleted in one transaction, then the packages moved (a hard link or a
// rename, never a copy). Numbers that name no record are passed over. Answers the number of projects moved,
// or kMoveFailed when an entry could not be made or the table could not be changed; then nothing changed.
int moveIn(const QList<int>& recordNumbers, bool withPackages);

// Moves data/<number>.fd1, a package no project has, into the trash as an entry without a record; false when
// it is not there or could not be moved, and then it stays where it was.
bool moveOrphanIn(const QString& number);

// The complete entries, the latest deleted first.
QList<Entry> entries();

enum class RestoreOutcome {
    Restored,
    NumberTaken,    // a project with the entry's number is in the catalogue; the entry stays
    HistoryRefused, // a file lay where the package goes and could not be kept in the package history
    Gone,           // no such entry
    DatabaseError,  // the record could not be written; the entry stays
    Failed,         // the record is back, its package will be put in place at the next start
};
// Appends the entry's record again (an entry without one has none to append) and puts its package back at
// data/<number>.fd1.
RestoreOutcome restore(const QString& id);

// Removes every entry; false when some could not be removed.
bool empty();
// Removes the entries deleted more than `days` days before `now`; answers how many went.
int expire(const QDateTime& now, int days = kKeptDays);

// Finishes or undoes the moves an earlier run left half done. Call at the start, before the list is filled.
void recover();

// Called before every step that changes a file or the table; tests end the process there.
void setBeforeEachStep(std::function<void()> hook);

} // namespace ProjectTrash
