#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The earlier packages of each project, kept in the data folder (so a backup carries them) whenever a stored
// package is about to be replaced, so no command of the program destroys the only copy of earlier work.
//
// Each project has a folder data/history/<package file name>/, each version one file in it whose name holds
// the time it was kept (to the millisecond, so names sort by time), the cause, the project's version text and the
// package type. There is
// no index to disagree with the files after a kill, and a restore merges two histories file by file.
namespace PackageHistory {

// Why a package was replaced; the history window shows the label.
enum class Cause {
    Update,     // 更新项目 with a new package
    UpdateBack, // 更新回
    Restore,    // 导入 of a backup
    Revert,     // 恢复此版本: the package that was current then
    Undelete,   // 还原 from the trash over a package that lay in the data folder
    Create,     // 新建项目 over a package that lay in the data folder under the new number
    Abandon,    // 放弃 of work that differed from the stored package: the work itself, not a replaced package
    Check, // 检查数据's 删除文件: a package without a project, kept beside the one its entry in the trash has
};
QString label(Cause cause);

// Replacing a stored package, in one shape for every command that does it: the stored package is kept in the
// history first (begin), then the caller replaces it, then either commit (the history is pruned, sparing the
// version just kept) or undo (that version goes again, so a replacement that failed leaves the history as it
// found it). A kill anywhere in between leaves the old package stored or in the history, and the new one stored or
// still where it came from.
class Replacing
{
public:
    // Nothing when the stored package could not be kept: the caller must not replace it then. Nothing needs
    // keeping when there is no stored package, or when it has the bytes of `replacement` (when given) or of a
    // version kept already.
    static std::optional<Replacing> begin(const QString& number, Cause cause, const QString& replacement = {});
    // The same, into the history folder `history` of a restore's stage, under a name the data folder's history
    // does not hold either: the restore's move-in carries the version into data/history/.
    static std::optional<Replacing> beginInto(const QString& history, const QString& number, Cause cause,
                                              const QString& replacement);
    void commit();
    void undo();
    // Where the kept version lies (in the data folder's history), empty when nothing needed keeping.
    const QString& version() const { return m_version; }

private:
    explicit Replacing(QString version);
    QString m_version;
};

// Keeps the project's stored package as its newest version before something replaces it. Nothing is kept when
// there is no stored package, or when it has the same bytes as `replacement` (when given) or as any version
// already kept. False only when a stored package could not be kept: the caller must then not replace
// it. Afterwards the oldest versions beyond the limits of the settings go.
bool keepCurrent(const QString& number, Cause cause, const QString& replacement = {});

// Removes the oldest versions beyond the limits of the settings (versions per project, megabytes of the
// whole history), never one of `spared`.
void prune(const QStringList& spared = {});

// data/history/<package file name>: where the versions of the project with this number lie.
QString folderOf(const QString& number);
// data/history, which a backup carries like every other part of the data folder.
QString rootFolder();

struct Version
{
    QString path;
    QDateTime time;
    Cause cause = Cause::Update;
    QString packageType; // as the record held it when the version was kept
    QString versionText; // the project's version then; empty for versions kept before the name held it
    qint64 size = 0;
};
// The versions kept for the project, newest first; files in its folder that are no version are passed over.
QList<Version> versions(const QString& number);

// The file name of a version kept at `time`, and back.
QString versionName(const QDateTime& time, Cause cause, const QString& packageType, const QString& versionText);
std::optional<Version> parseVersion(const QString& path);

// Links (or where the disk has no links, copies) `current` into `folder` as a version; the path, or empty
// when it could not be kept. A version whose name exists in one of `folder` and `alsoTaken` is kept one
// millisecond later. Used by the restore, which keeps into its staging folder.
QString keepFileInto(const QString& current, const QString& folder, Cause cause, const QString& packageType,
                     const QString& versionText, const QString& alsoTaken = {});

// The version text of the project's record now, which a version kept of its package or its work goes under; empty
// without a record.
QString versionTextOf(const QString& number);

// Makes every keep copy, as on a disk without hard links; for tests and benchmarks of that fallback.
void setLinksRefused(bool refused);

// Whether two files hold the same bytes (the same file through two names, or equal sizes and contents).
bool sameBytes(const QString& a, const QString& b);

// Moves `file` (a package the trash held) into the project's history as its newest version, of the package type
// given; when the stored package or a kept version has its bytes, the file just goes. False when it could not be
// moved; it stays where it was then.
bool adopt(const QString& file, const QString& number, Cause cause, const QString& packageType,
           const QString& versionText);
// Moves the versions in `folder` (kept by the trash) into the project's history, each under its own name (or, when
// that name holds other bytes, a millisecond later); a version whose bytes the history holds under its name goes.
// Without `sync` the caller syncs the history folder and the folder's parent once for many projects.
bool adoptVersions(const QString& folder, const QString& number, bool sync = true);
// The name of a version kept a millisecond after the one named `name`.
QString laterName(const QString& name);

enum class PlaceOutcome {
    Placed,
    NotPrepared,    // the new package could not be written beside the stored one; nothing changed
    HistoryRefused, // the stored package could not be kept in the history; nothing changed
    RecordRefused,  // the record could not be changed; nothing changed
    Unfinished,     // the record is changed; the next start puts the package in place
};
// Makes a new package the project's stored package together with a change of its record that names
// `packageType`, so that whatever step a kill ends it at, the next start (finishPlacing) shows the old package with
// the old record or the new package with the new one. `prepare` writes the new package to the path it is given,
// beside the stored one; the stored package is kept in the history (cause) unless its bytes are kept already; then
// `commit` changes the record, answering whether it did; only then the new package takes the stored one's name.
PlaceOutcome place(const QString& number, const QString& packageType, Cause cause,
                   const std::function<bool(const QString& path)>& prepare, const std::function<bool()>& commit);
// At the start: puts in place the packages of placings a kill cut off after their record changed, and removes
// those of the others. Answers the numbers whose package was put in place.
QStringList finishPlacing();

enum class RevertOutcome {
    Reverted,
    Missing,       // the version is gone, or the record names no project that can have a package
    Failed,        // the current package could not be kept, or the version not put beside it
    DatabaseError, // the record's package type could not be written; the package is as it was
};
// Makes the version the project's stored package, keeping the current one first (cause Revert); the version
// stays in the history. The record's package type becomes the version's, in the same step (see place).
RevertOutcome revert(int recordNumber, const Version& version);

// Called before every step of revert and place that changes a file or the table; tests end the process there.
void setBeforeEachStep(std::function<void()> hook);

} // namespace PackageHistory
