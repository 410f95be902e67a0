#pragma once

#include "projects/PackageHistory.h"
#include "store/ProjectRecord.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The projects 删除项目 took away, kept in data/trash/ (inside the data folder, so a backup carries them) with their
// packages and their earlier packages, until 还原 puts them back or the user removes them for good (彻底删除,
// 清空回收站, or the question at the start about entries older than the days kept). Nothing leaves the trash
// without the user's word.
//
// One command makes one batch (see TrashBatch): its records are written and synced before the table changes, and
// what moves is linked or renamed under a pending name first, so recover() at the next start finishes or undoes what
// a run that ended midway left: every project is in the catalogue or in the trash, and in only one of them, and every
// package it had is in its place, in the history or in the trash.
namespace ProjectTrash {

using Progress = std::function<bool(qint64 done, qint64 total)>;

struct Entry
{
    QString id; // "<batch>/<key>", unique inside the trash
    ProjectRecord project;
    QDateTime deleted;
    bool withPackage = false; // its package lies in the trash with it
    bool hasRecord = true;    // false: only a package that belonged to no project (检查数据's 删除文件)
    QString packagePath;      // where its package lies in the trash, when it has one there
};

constexpr int kKeptDays = 30;
constexpr int kMoveFailed = -1;

// appDir + "/data/trash"
QString folder();

// Moves the projects with these record numbers into the trash, their earlier packages with them and, with
// `withPackages`, their packages too (a hard link or a rename; a copy only to another disk). The records are deleted
// in one transaction. Numbers that name no record are passed over. Answers the number of projects moved, or
// kMoveFailed when the batch could not be made or the table could not be changed; then nothing changed.
int moveIn(const QList<int>& recordNumbers, bool withPackages, const Progress& progress = {});

// Moves data/<number>.fd1, packages no project has, into the trash with their earlier packages. A package whose
// number has an entry already joins that entry (as its package, or as an earlier package when it has one); the
// others become entries without a record. Answers the numbers whose package could not be moved; those stay where
// they were.
QStringList moveOrphansIn(const QStringList& numbers);
bool moveOrphanIn(const QString& number);

// The complete entries, the latest deleted first.
QList<Entry> entries();

enum class RestoreOutcome {
    Restored,
    NumberTaken,    // a project with the number is in the catalogue; the entry stays, another number may be given
    InvalidNumber,  // the number is no file name on every system (a record damaged by hand); the entry stays
    HistoryRefused, // a file lay where the package goes and could not be kept in the package history
    Gone,           // no such entry
    DatabaseError,  // the records could not be written; the entries stay
    Failed,         // the records are back, their packages will be put in place at the next start
};
struct RestoreRequest
{
    QString id;
    QString number; // the number to restore it under; empty: its own
};
// Appends the entries' records again in one transaction (an entry without a record has none) and puts their packages
// back at data/<number>.fd1 and their earlier packages back in the history. A file lying at a package's place is kept
// in the history first. An entry without a record whose number is a project's again gives its packages to that
// project's history. Answers one outcome per request.
QList<RestoreOutcome> restore(const QList<RestoreRequest>& requests, const Progress& progress = {});
RestoreOutcome restore(const QString& id, const QString& number = {});

// Removes these entries for good; false when some could not be removed.
bool purge(const QStringList& ids, const Progress& progress = {});
// Removes every entry; false when some could not be removed.
bool empty(const Progress& progress = {});

// The entries deleted more than kKeptDays days before `now`, for the start to offer for removal; none when the clock
// cannot be trusted: when it is behind the latest deletion, or more than kKeptDays past the previous start (or no
// start is known yet). Notes `now` as the time of this start, in the trash itself.
QStringList expiredAtStart(const QDateTime& now);

enum class TakeBackOutcome {
    NotInTrash,
    TakenBack,
    DatabaseError, // the record could not be written; the entry stays
};
// Update back of a project that was deleted while it was worked on: its newest entry with a record comes out of the
// trash with its texts, the last update `now` and the package type of the stored work; the package it was executed
// from and its earlier packages go into its history.
TakeBackOutcome takeBack(const QString& number, const QDateTime& now, const QString& packageType);

// A project's number is back in the catalogue (导入, 新建项目, update back): the packages of entries with that number
// (all numbers when `numbers` is empty) join the project's history, with `cause`. An entry that holds nothing else
// (no record, or the very record the catalogue holds) goes; one with another record stays, without packages.
void joinCatalogue(PackageHistory::Cause cause, const QStringList& numbers = {});

// Finishes or undoes the moves an earlier run left half done, and takes into the trash the earlier packages of a
// number that has neither a project nor a package. Call at the start, before the list is filled.
void recover();

// Called before every step that changes a file or the table; tests end the process there.
void setBeforeEachStep(std::function<void()> hook);

} // namespace ProjectTrash
