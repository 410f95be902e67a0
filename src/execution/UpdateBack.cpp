#include "execution/UpdateBack.h"

#include "archive/NativeFs.h"
#include "archive/ZipArchive.h"
#include "execution/ExecutionPaths.h"
#include "execution/WorkLine.h"
#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectRules.h"
#include "store/TableSchemas.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <chrono>
#include <thread>

using namespace Qt::StringLiterals;

namespace UpdateBack {

namespace {

constexpr qint64 kCopyChunk = 1 << 20;
constexpr int kAttempts = 3;
constexpr std::chrono::milliseconds kPauseBeforeAttempt{150};

enum class Copied { Complete, Changed, Failed };

// One copy of the worked file from one open handle, checked afterwards against the file as it was when the copy
// began: a program that saved meanwhile gets another copy, never a mix of its two versions.
Copied copyOnce(const QString& source, const QString& temporary, const Progress& progress)
{
    const NativeFs::Status before = NativeFs::statusOf(source);
    NativeFs::OpenedFile in;
    if (before.kind != NativeFs::Kind::File || !in.open(source))
        return Copied::Failed;
    if (!in.status().sameAs(before))
        return Copied::Changed;
    QFile::remove(temporary);
    NativeFs::NewFile out;
    if (!out.create(temporary, NativeFs::kDefaultFileMode))
        return Copied::Failed;
    QByteArray buffer;
    for (qint64 done = 0; done < before.size;) {
        const qint64 length = std::min(kCopyChunk, before.size - done);
        if (!in.readAt(done, length, buffer))
            return in.status().sameAs(before) ? Copied::Failed : Copied::Changed;
        if (!out.write(buffer.constData(), length))
            return Copied::Failed;
        done += length;
        if (progress && !progress(done, before.size))
            return Copied::Failed;
    }
    if (!out.close())
        return Copied::Failed;
    if (!in.status().sameAs(before) || !NativeFs::statusOf(source).sameAs(before))
        return Copied::Changed;
    return Copied::Complete;
}

ZipArchive::Packing copyWorkedFile(const QString& source, const QString& target, const Progress& progress)
{
    ZipArchive::Packing packing;
    QString temporary;
    {
        // Windows keeps a closed QTemporaryFile open until it goes, and the name it holds cannot be made anew.
        QTemporaryFile reservation(QFileInfo(target).absolutePath() + u"/.tallyra-update-XXXXXX.tmp"_s);
        reservation.setAutoRemove(false);
        if (!reservation.open())
            return packing;
        temporary = reservation.fileName();
    }
    Copied copied = Copied::Changed;
    for (int attempt = 1; attempt <= kAttempts && copied == Copied::Changed; ++attempt) {
        if (attempt > 1)
            std::this_thread::sleep_for(kPauseBeforeAttempt * (attempt - 1));
        copied = copyOnce(source, temporary, progress);
    }
    if (copied != Copied::Complete || !DurableFile::syncFile(temporary) || !DurableFile::replace(temporary, target)) {
        QFile::remove(temporary);
        packing.status = copied == Copied::Changed ? ZipArchive::kChanging : 0;
        return packing;
    }
    DurableFile::syncFolder(QFileInfo(target).absolutePath());
    packing.status = ZipArchive::kOk;
    return packing;
}

Outcome outcomeOf(int status)
{
    switch (status) {
    case ZipArchive::kOk:
        return Outcome::Packed;
    case ZipArchive::kChanging:
        return Outcome::Changing;
    case ZipArchive::kUnpackable:
        return Outcome::Unpackable;
    default:
        return Outcome::Failed;
    }
}

// Deletes a folder with all in it, also files whose names Qt cannot spell (not UTF-8). A blank path would mean
// the current directory, which is appDir.
void removeFolder(const QString& folder)
{
    if (!folder.trimmed().isEmpty() && !QFileInfo(folder).isRoot())
        NativeFs::removeTree(folder);
}

// Removes a folder so that no part of it is ever left under its own name: it is moved aside first, and what a
// kill leaves there the next start removes.
void removeWorkingFolder(const QString& folder, const QString& number)
{
    const QString aside = ExecutionPaths::removalFolder(QFileInfo(folder).path() + u'/', number);
    removeFolder(aside);
    if (NativeFs::rename(folder, aside)) {
        DurableFile::syncFolder(QFileInfo(folder).path());
        removeFolder(aside);
        return;
    }
    removeFolder(folder);
}

} // namespace

QStringList otherFiles(const WorkLine& line)
{
    if (!line.isFile())
        return {};
    QStringList names =
        QDir(line.workingFolder())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    names.removeAll(QFileInfo(line.workFile()).fileName());
    return names;
}

Packed pack(const WorkLine& line, const Progress& progress)
{
    Packed packed;
    if (line.isPackage()) {
        packed.package = line.package();
        packed.outcome = QFileInfo(packed.package).isFile() ? Outcome::Packed : Outcome::Failed;
        return packed;
    }
    packed.package = ExecutionPaths::pendingPackage(line.number(), line.type());
    ZipArchive::Packing packing;
    if (line.isZip()) {
        ZipArchive::PackOptions options;
        // The marker stays until the work is stored: it is how the start knows this folder for work.
        options.leftOutWhenEmpty = ExecutionPaths::markerName();
        options.refuseUnpackable = true;
        packing = ZipArchive::pack(line.workingFolder(), packed.package, options, progress);
    } else {
        packing = copyWorkedFile(line.workFile(), packed.package, progress);
    }
    packed.outcome = outcomeOf(packing.status);
    packed.unpackable = packing.unpackable;
    if (packed.outcome != Outcome::Packed)
        packed.package.clear();
    return packed;
}

bool store(const WorkLine& line, const QString& package, const Progress& progress)
{
    const QString stored = ProjectCatalogue::packagePath(line.number());
    const QString dataFolder = QFileInfo(stored).absolutePath();
    // Beside data/ the package is one rename away; a data folder on another disk gets a complete copy.
    if (QFileInfo(stored).isDir())
        return false;
    // The stored package gets its second name in the history before anything replaces it: a kill after the
    // link leaves it in both places, one after the rename in the history, never in neither.
    const std::optional<QString> kept = PackageHistory::keep(line.number(), PackageHistory::Cause::UpdateBack, package);
    if (!kept)
        return false;
    if (DurableFile::replace(package, stored)) {
        DurableFile::syncFolder(dataFolder);
        DurableFile::syncFolder(QFileInfo(package).absolutePath());
        PackageHistory::prune({*kept});
        return true;
    }
    if (!FileSystem::copyFile(package, stored, progress)) {
        PackageHistory::drop(*kept);
        return false;
    }
    DurableFile::syncFolder(dataFolder);
    QFile::remove(package);
    PackageHistory::prune({*kept});
    return true;
}

void discard(const WorkLine& line, const QString& package)
{
    if (!line.isPackage())
        QFile::remove(package);
}

ProjectRules::Stamp stampRecord(const WorkLine& line)
{
    return ProjectRules::stampLastUpdate(line.number(), line.type());
}

void cleanUp(const WorkLine& line, bool keepOtherFiles)
{
    if (line.isPackage())
        return;
    if (line.isFile() && keepOtherFiles) {
        QFile::remove(line.workFile());
        return;
    }
    removeWorkingFolder(line.workingFolder(), line.number());
}

void abandon(const WorkLine& line)
{
    if (line.isPackage())
        QFile::remove(line.package());
    else
        removeFolder(line.workingFolder());
}

} // namespace UpdateBack
