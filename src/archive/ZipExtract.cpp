#include "archive/ExtractionStage.h"
#include "archive/FreeSpace.h"
#include "archive/ZipArchive.h"
#include "archive/ZipEntryPlan.h"
#include "archive/ZipEntryWriter.h"
#include "archive/ZipFileSource.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <zip.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kProgressIntervalMs = 50;

struct ArchiveCloser
{
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ArchiveHandle = std::unique_ptr<zip_t, ArchiveCloser>;

// Tells the caller how far the work is, often enough for a progress bar and no more.
class ProgressReporter
{
public:
    ProgressReporter(const ZipArchive::Progress& progress, qint64 total)
        : m_progress(progress)
        , m_total(total)
    {
        m_clock.start();
    }

    // False when the caller cancelled.
    bool update(qint64 done)
    {
        if (!m_progress || m_clock.elapsed() < kProgressIntervalMs) {
            return true;
        }
        m_clock.restart();
        return m_progress(done, m_total);
    }

    bool report(qint64 done) { return !m_progress || m_progress(done, m_total); }

private:
    const ZipArchive::Progress& m_progress;
    qint64 m_total = 0;
    QElapsedTimer m_clock;
};

} // namespace

namespace ZipArchive {

Outcome extract(const QString& archivePath, const QString& targetDir, const Progress& progress)
{
    if (archivePath.isEmpty() || targetDir.isEmpty() || !QFileInfo(archivePath).isFile()) {
        return Outcome::Failed;
    }
    ArchiveHandle archive(ZipFileSource::open(archivePath, ZIP_CHECKCONS));
    if (!archive) {
        return Outcome::Failed;
    }
    const std::optional<QList<PlannedEntry>> entries = ZipEntryPlan::plan(archive.get(), archivePath);
    if (!entries) {
        return Outcome::Failed;
    }
    const QString target = QDir::cleanPath(QFileInfo(targetDir).absoluteFilePath());
    if (QFileInfo(target).exists() && !QFileInfo(target).isDir()) {
        return Outcome::Failed;
    }
    qint64 total = 0;
    for (const PlannedEntry& entry : *entries) {
        total += qint64(entry.size);
    }
    // A file system that cannot tell its free space (-1) is not held against the archive.
    const qint64 available = FreeSpace::availableAt(target);
    if ((available >= 0 && total > available) || !ZipEntryPlan::linksStayInside(*entries, target)) {
        return Outcome::Failed;
    }
    ExtractionStage stage(target, *entries);
    if (!stage.survey()) {
        return Outcome::Failed;
    }

    ProgressReporter reporter(progress, total);
    if (!reporter.report(0) || !stage.open()) {
        return Outcome::Failed;
    }
    // Every folder is made here, once, before any thread writes into them.
    QStringList stagedPaths(entries->size());
    for (qsizetype i = 0; i < entries->size(); ++i) {
        if (entries->at(i).isFolder()) {
            continue;
        }
        stagedPaths[i] = stage.stagedPath(i);
        if (stagedPaths.at(i).isEmpty()) {
            return Outcome::Failed;
        }
    }
    ZipEntryWriter writer(archive.get(), archivePath, *entries, stagedPaths);
    if (!writer.run([&](qint64 done) { return reporter.update(done); }) || !reporter.report(total) || !stage.commit()) {
        return Outcome::Failed;
    }
    return Outcome::Ok;
}

} // namespace ZipArchive
