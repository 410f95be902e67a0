#include "archive/ExtractionStage.h"
#include "archive/FreeSpace.h"
#include "archive/LibzipPath.h"
#include "archive/NativeFs.h"
#include "archive/ZipArchive.h"
#include "archive/ZipEntryPlan.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <zip.h>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kFailed = 0;
constexpr qsizetype kChunkSize = 256 * 1024;
constexpr qint64 kProgressIntervalMs = 50;
constexpr int kOwnerCanRead = 0400;

struct ArchiveCloser
{
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ArchiveHandle = std::unique_ptr<zip_t, ArchiveCloser>;

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
    bool advance(qint64 bytes)
    {
        m_done += bytes;
        if (!m_progress || m_clock.elapsed() < kProgressIntervalMs) {
            return true;
        }
        m_clock.restart();
        return m_progress(m_done, m_total);
    }

    bool report() { return !m_progress || m_progress(m_done, m_total); }

private:
    const ZipArchive::Progress& m_progress;
    qint64 m_total = 0;
    qint64 m_done = 0;
    QElapsedTimer m_clock;
};

// libzip checks the CRC only once the last byte is read, and reports it from zip_fread or zip_fclose; the size is
// checked here so that a lying header cannot fill the disk.
bool writeFile(zip_t* archive, const PlannedEntry& entry, const QString& path, std::vector<char>& buffer,
               ProgressReporter& reporter)
{
    zip_file_t* data = zip_fopen_index(archive, entry.index, 0);
    if (!data) {
        return false;
    }
    // The owner can always read what was unpacked, or it could not be packed back.
    const int mode = entry.mode >= 0 ? entry.mode | kOwnerCanRead : NativeFs::kDefaultFileMode;
    NativeFs::NewFile out;
    bool ok = out.create(path, mode);
    zip_uint64_t written = 0;
    while (ok) {
        const zip_int64_t read = zip_fread(data, buffer.data(), buffer.size());
        if (read <= 0) {
            ok = read == 0 && written == entry.size;
            break;
        }
        written += zip_uint64_t(read);
        ok = written <= entry.size && out.write(buffer.data(), read) && reporter.advance(read);
    }
    ok = zip_fclose(data) == 0 && ok;
    if (ok && entry.modified) {
        out.setModified(*entry.modified);
    }
    return out.close() && ok;
}

bool writeLink(const PlannedEntry& entry, const QString& path, ProgressReporter& reporter)
{
    if (!NativeFs::makeLink(entry.linkTarget, path)) {
        return false;
    }
    if (entry.modified) {
        NativeFs::setModified(path, *entry.modified);
    }
    return reporter.advance(qint64(entry.size));
}

} // namespace

namespace ZipArchive {

int extract(const QString& archivePath, const QString& targetDir, const Progress& progress)
{
    if (archivePath.isEmpty() || targetDir.isEmpty() || !QFileInfo(archivePath).isFile()) {
        return kFailed;
    }
    int error = 0;
    ArchiveHandle archive(zip_open(libzipPath(archivePath).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!archive) {
        return kFailed;
    }
    const std::optional<QList<PlannedEntry>> entries = ZipEntryPlan::plan(archive.get(), archivePath);
    if (!entries) {
        return kFailed;
    }
    const QString target = QDir::cleanPath(QFileInfo(targetDir).absoluteFilePath());
    if (QFileInfo(target).exists() && !QFileInfo(target).isDir()) {
        return kFailed;
    }
    qint64 total = 0;
    for (const PlannedEntry& entry : *entries) {
        total += qint64(entry.size);
    }
    // A file system that cannot tell its free space (-1) is not held against the archive.
    const qint64 available = FreeSpace::availableAt(target);
    if ((available >= 0 && total > available) || !ZipEntryPlan::linksStayInside(*entries, target)) {
        return kFailed;
    }
    ExtractionStage stage(target, *entries);
    if (!stage.survey()) {
        return kFailed;
    }

    ProgressReporter reporter(progress, total);
    if (!reporter.report() || !stage.open()) {
        return kFailed;
    }
    std::vector<char> buffer(kChunkSize);
    for (qsizetype i = 0; i < entries->size(); ++i) {
        const PlannedEntry& entry = entries->at(i);
        if (entry.isFolder()) {
            continue;
        }
        const QString staged = stage.stagedPath(i);
        if (staged.isEmpty()) {
            return kFailed;
        }
        const bool written = entry.kind == PlannedEntry::Kind::Link
                                 ? writeLink(entry, staged, reporter)
                                 : writeFile(archive.get(), entry, staged, buffer, reporter);
        if (!written) {
            return kFailed;
        }
    }
    if (!reporter.report() || !stage.commit()) {
        return kFailed;
    }
    return kOk;
}

} // namespace ZipArchive
