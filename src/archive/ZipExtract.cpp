#include "archive/ExtractionStage.h"
#include "archive/FreeSpace.h"
#include "archive/LibzipPath.h"
#include "archive/ZipArchive.h"
#include "archive/ZipEntryPlan.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <zip.h>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kFailed = 0;
constexpr qsizetype kChunkSize = 256 * 1024;
constexpr qint64 kProgressIntervalMs = 50;

struct ArchiveCloser
{
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ArchiveHandle = std::unique_ptr<zip_t, ArchiveCloser>;

// An existing file where a folder must go, a folder where a file must go, or a link on the way (writing through
// it could reach anywhere) would make the move fail halfway; better to know before writing.
bool conflictsWithTarget(const QString& targetDir, const QList<PlannedEntry>& entries)
{
    QSet<QString> checkedFolders;
    const auto isUsableFolder = [&](const QString& relative) {
        if (checkedFolders.contains(relative)) {
            return true;
        }
        const QFileInfo info(targetDir + u'/' + relative);
        if (info.isSymLink() || (info.exists() && !info.isDir())) {
            return false;
        }
        checkedFolders.insert(relative);
        return true;
    };
    for (const PlannedEntry& entry : entries) {
        for (qsizetype slash = entry.path.indexOf(u'/'); slash > 0; slash = entry.path.indexOf(u'/', slash + 1)) {
            if (!isUsableFolder(entry.path.left(slash))) {
                return true;
            }
        }
        if (entry.isFolder) {
            if (!isUsableFolder(entry.path)) {
                return true;
            }
        } else {
            const QFileInfo info(targetDir + u'/' + entry.path);
            if (info.isDir() && !info.isSymLink()) {
                return true;
            }
        }
    }
    return false;
}

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
bool writeEntry(zip_t* archive, const PlannedEntry& entry, const QString& path, std::vector<char>& buffer,
                ProgressReporter& reporter)
{
    zip_file_t* data = zip_fopen_index(archive, entry.index, 0);
    if (!data) {
        return false;
    }
    QFile out(path);
    bool ok = out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
    zip_uint64_t written = 0;
    while (ok) {
        const zip_int64_t read = zip_fread(data, buffer.data(), buffer.size());
        if (read <= 0) {
            ok = read == 0 && written == entry.size;
            break;
        }
        written += zip_uint64_t(read);
        ok = written <= entry.size && out.write(buffer.data(), read) == read && reporter.advance(read);
    }
    ok = zip_fclose(data) == 0 && ok;
    if (ok && entry.modified.isValid()) {
        out.setFileTime(entry.modified, QFileDevice::FileModificationTime);
    }
    out.close();
    return ok && out.error() == QFileDevice::NoError;
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
    if ((available >= 0 && total > available) || conflictsWithTarget(target, *entries)) {
        return kFailed;
    }

    ProgressReporter reporter(progress, total);
    if (!reporter.report()) {
        return kFailed;
    }
    ExtractionStage stage(target);
    if (!stage.open()) {
        return kFailed;
    }
    std::vector<char> buffer(kChunkSize);
    QStringList folders;
    QStringList files;
    for (const PlannedEntry& entry : *entries) {
        if (entry.isFolder) {
            folders.append(entry.path);
            continue;
        }
        const QString staged = stage.prepareFile(entry.path);
        if (staged.isEmpty() || !writeEntry(archive.get(), entry, staged, buffer, reporter)) {
            return kFailed;
        }
        files.append(entry.path);
    }
    if (!reporter.report() || !stage.commit(folders, files)) {
        return kFailed;
    }
    return kOk;
}

} // namespace ZipArchive
