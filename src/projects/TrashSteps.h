#pragma once

#include "projects/TrashBatch.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The steps the trash's commands are made of, each of which the start repeats or reverses for a command a kill cut
// off. Each calls WriteSteps::next() before it changes a file or the table. Folders are synced once per step and
// folder, however many projects the step moves.
namespace TrashSteps {

using TrashBatch::Item;
// Called with the items done so far.
using Done = std::function<void(qsizetype done)>;

// Where the project's package is stored; empty for a number that names no package file.
QString storedPackageOf(const QString& number);

// The trash folder, then the batch folder under its pending name holding the records, synced: nothing else of the
// projects has moved yet.
bool makePending(const QString& pending, const QList<Item>& items);
// An item's package (linked, or copied to another disk) and its earlier packages (moved) join the pending batch
// while its record is still in the catalogue. The caller syncs the folders afterwards (syncAfterBringingIn). False
// when its package could neither be linked nor copied to the trash's disk: then its record must stay.
bool bringIn(const QString& pending, const Item& item);
void syncAfterBringingIn(const QString& pending);
// The records are gone from the catalogue, or there were none: the packages leave the data folder (renamed in where
// no link was possible), and the batch takes its own name.
bool finishDeleting(const QString& pending, const QList<Item>& items, const Done& done = {});
// The items' records are still in the catalogue: what moved of them goes back (a package the data folder holds
// other bytes for goes into the history). False when something could not be moved back.
bool returnItems(const QString& pending, const QList<Item>& items);
// The records are still in the catalogue: what moved goes back, and the pending batch goes.
bool undoDeleting(const QString& pending, const QList<Item>& items);

struct Restoring
{
    QString batch;
    int key = 0;
    QString number; // the number the project is restored under
    bool hasRecord = true;
    // Update back stored the work already: the package the entry holds becomes the newest earlier package (of this
    // package type) instead of the stored one.
    bool packageToHistory = false;
    QString packageType;
    QString versionText; // of that package; plans written before it was kept hold none
};
// The plan of a restore, written and synced beside the batches before any record is appended; the path, or empty
// when it could not be written.
QString writeJournal(const QList<Restoring>& items);
std::optional<QList<Restoring>> readJournal(const QString& journal);
QStringList journals();
// The records are appended: the packages and earlier packages go to their places, the items leave their batches,
// the journal goes. False when something could not be moved; the journal stays for the next start to finish.
bool finishRestoring(const QString& journal, const QList<Restoring>& items, const Done& done = {});

// Takes the keys out of the batch: its records are written again without them and their files renamed aside; a
// batch left empty is renamed aside whole. What is aside is added to `removing`, for the caller to sync the trash
// folder once and then remove it all. A batch that is gone already counts as done.
bool dropKeys(const QString& name, const QSet<int>& keys, QStringList& removing);
// At the start: takes the keys whose files `aside` (a ".dropping-" folder) holds out of their batch, then removes it.
bool finishDropping(const QString& aside);
// Removes the folders set aside, reporting each file or folder removed of all of them.
void removeAll(const QStringList& removing, const std::function<void(qint64 done, qint64 total)>& progress = {});

} // namespace TrashSteps
