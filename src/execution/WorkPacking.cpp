#include "execution/WorkPacking.h"

#include "archive/NativeFs.h"
#include "archive/ZipArchive.h"
#include "execution/ExecutionPaths.h"
#include "execution/WorkLine.h"
#include "platform/DurableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <chrono>
#include <thread>

using namespace Qt::StringLiterals;

namespace WorkPacking {

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
        packing.status = copied == Copied::Changed ? ZipArchive::Outcome::Changing : ZipArchive::Outcome::Failed;
        return packing;
    }
    DurableFile::syncFolder(QFileInfo(target).absolutePath());
    packing.status = ZipArchive::Outcome::Ok;
    return packing;
}

Outcome outcomeOf(ZipArchive::Outcome status)
{
    switch (status) {
    case ZipArchive::Outcome::Ok:
        return Outcome::Packed;
    case ZipArchive::Outcome::Changing:
        return Outcome::Changing;
    case ZipArchive::Outcome::Unpackable:
        return Outcome::Unpackable;
    default:
        return Outcome::Failed;
    }
}

} // namespace

void runLong(const LongStepRunner& runner, LongStep step, const std::function<void(const Progress&)>& work)
{
    if (runner)
        runner(step, work);
    else
        work({});
}

Packed pack(const WorkLine& line, const QString& target, const Progress& progress)
{
    Packed packed;
    if (line.isPackage()) {
        packed.package = line.package();
        packed.outcome = QFileInfo(packed.package).isFile() ? Outcome::Packed : Outcome::Failed;
        return packed;
    }
    ZipArchive::Packing packing;
    if (line.isZip()) {
        ZipArchive::PackOptions options;
        // The marker stays until the work is gone: it is how the start knows this folder for work.
        options.leftOutWhenEmpty = ExecutionPaths::markerName();
        options.refuseUnpackable = true;
        packing = ZipArchive::pack(line.workingFolder(), target, options, progress);
    } else {
        packing = copyWorkedFile(line.workFile(), target, progress);
    }
    packed.outcome = outcomeOf(packing.status);
    packed.unpackable = packing.unpackable;
    if (packed.outcome == Outcome::Packed)
        packed.package = target;
    return packed;
}

bool workExists(const WorkLine& line)
{
    if (line.isPackage())
        return QFileInfo(line.package()).isFile();
    if (line.isZip())
        return NativeFs::statusOf(line.workingFolder()).kind == NativeFs::Kind::Folder;
    return NativeFs::statusOf(line.workFile()).kind == NativeFs::Kind::File;
}

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

void removeFolder(const QString& folder)
{
    if (!folder.trimmed().isEmpty() && !QFileInfo(folder).isRoot())
        NativeFs::removeTree(folder);
}

namespace {

QString asideOf(const QString& folder, const QString& number)
{
    return ExecutionPaths::removalFolder(QFileInfo(folder).path() + u'/', number);
}

} // namespace

bool moveAside(const QString& folder, const QString& number)
{
    const QString aside = asideOf(folder, number);
    removeFolder(aside);
    if (!NativeFs::rename(folder, aside))
        return false;
    DurableFile::syncFolder(QFileInfo(folder).path());
    return true;
}

void removeMovedAside(const QString& folder, const QString& number)
{
    removeFolder(asideOf(folder, number));
}

} // namespace WorkPacking
