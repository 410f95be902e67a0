#include "archive/CompressionChoice.h"
#include "archive/DurableFile.h"
#include "archive/LibzipPath.h"
#include "archive/ZipArchive.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSet>
#include <QTemporaryFile>

#include <zip.h>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int kFailed = 0;
// On the benchmark tree level 4 packs in about 60 % of the time of zlib's default level 6 for an archive about 1 %
// larger; level 1 saves little more time and loses twice as much size.
constexpr zip_uint32_t kDeflateLevel = 4;

struct SourceEntry
{
    QString path;
    QString name; // relative, "/" separators; a folder's ends with "/"
    qint64 size = 0;
    bool isFolder = false;
};

// Every file below root, and every folder that would otherwise vanish because nothing inside it is stored.
bool collectEntries(const QString& root, const QString& skippedFile, QList<SourceEntry>& entries)
{
    const QDir rootDir(root);
    QList<SourceEntry> folders;
    QSet<QString> foldersWithContent;
    const auto noteParents = [&](const QString& name) {
        for (qsizetype slash = name.lastIndexOf(u'/'); slash > 0; slash = name.lastIndexOf(u'/', slash - 1)) {
            foldersWithContent.insert(name.left(slash));
        }
    };

    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        const QString name = rootDir.relativeFilePath(info.filePath());
        if (info.isSymLink() && info.isDir()) {
            continue; // following it could loop or pack a whole other tree
        }
        if (info.isDir()) {
            if (!info.isReadable() || !info.isExecutable()) {
                return false; // its files would be missing without a word
            }
            folders.append({info.filePath(), name, 0, true});
            noteParents(name);
        } else if (info.isFile()) {
            if (info.absoluteFilePath() == skippedFile) {
                continue;
            }
            entries.append({info.filePath(), name, info.size(), false});
            noteParents(name);
        }
        // Dangling links, pipes, sockets and devices hold nothing that could be packed.
    }
    for (SourceEntry& folder : folders) {
        if (!foldersWithContent.contains(folder.name)) {
            folder.name += u'/';
            entries.append(folder);
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const SourceEntry& a, const SourceEntry& b) { return a.name < b.name; });
    return true;
}

// libzip reports progress as the share of entries written, each entry an equal slice; mapped back to bytes.
struct ProgressState
{
    const ZipArchive::Progress* progress = nullptr;
    QList<qint64> startOf; // bytes before each entry
    QList<qint64> sizeOf;
    qint64 total = 0;
    bool cancelled = false;
};

void reportProgress(zip_t*, double fraction, void* data)
{
    auto* state = static_cast<ProgressState*>(data);
    if (state->cancelled || state->sizeOf.isEmpty()) {
        return;
    }
    const double position = std::clamp(fraction, 0.0, 1.0) * double(state->sizeOf.size());
    const qsizetype entry = std::min(qsizetype(position), state->sizeOf.size() - 1);
    const qint64 done =
        std::min(state->total, state->startOf.at(entry) +
                                   qint64(std::floor((position - double(entry)) * double(state->sizeOf.at(entry)))));
    if (!(*state->progress)(done, state->total)) {
        state->cancelled = true;
    }
}

int askCancel(zip_t*, void* data)
{
    return static_cast<ProgressState*>(data)->cancelled ? 1 : 0;
}

bool addEntry(zip_t* archive, const SourceEntry& entry)
{
    const QByteArray name = entry.name.toUtf8();
    if (entry.isFolder) {
        return zip_dir_add(archive, name.constData(), ZIP_FL_ENC_UTF_8) >= 0;
    }
    zip_source_t* source = zip_source_file(archive, libzipPath(entry.path).constData(), 0, -1);
    if (!source) {
        return false;
    }
    const zip_int64_t index = zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return false;
    }
    const bool store = CompressionChoice::isAlreadyCompressed(entry.path, entry.size);
    return zip_set_file_compression(archive, zip_uint64_t(index), store ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                    store ? 0 : kDeflateLevel) == 0;
}

bool writeArchive(const QList<SourceEntry>& entries, const QString& path, const ZipArchive::Progress& progress)
{
    int error = 0;
    zip_t* archive = zip_open(libzipPath(path).constData(), ZIP_TRUNCATE, &error);
    if (!archive) {
        return false;
    }
    for (const SourceEntry& entry : entries) {
        if (!addEntry(archive, entry)) {
            zip_discard(archive);
            return false;
        }
    }

    ProgressState state;
    if (progress) {
        state.progress = &progress;
        for (const SourceEntry& entry : entries) {
            state.startOf.append(state.total);
            state.sizeOf.append(entry.size);
            state.total += entry.size;
        }
        zip_register_progress_callback_with_state(archive, 0.001, reportProgress, nullptr, &state);
        zip_register_cancel_callback_with_state(archive, askCancel, nullptr, &state);
        if (!progress(0, state.total)) {
            zip_discard(archive);
            return false;
        }
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        return false;
    }
    return !state.cancelled && (!progress || progress(state.total, state.total));
}

// libzip deletes an archive that would hold no entry instead of writing one; the format allows it: the end
// record alone, with zero entries.
bool writeEmptyArchive(const QString& path)
{
    QByteArray endRecord(22, '\0');
    endRecord[0] = 'P';
    endRecord[1] = 'K';
    endRecord[2] = 5;
    endRecord[3] = 6;
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(endRecord) == endRecord.size() &&
           file.flush();
}

// A fresh name next to the archive, so that the final rename stays inside one file system.
QString reserveTemporaryName(const QString& folder)
{
    QTemporaryFile reservation(folder + u"/.tallyra-zip-XXXXXX.tmp"_s);
    reservation.setAutoRemove(false);
    if (!reservation.open()) {
        return {};
    }
    return reservation.fileName();
}

} // namespace

namespace ZipArchive {

int compress(const QString& sourceDir, const QString& archivePath, const Progress& progress)
{
    const QFileInfo source(sourceDir);
    const QFileInfo target(archivePath);
    if (sourceDir.isEmpty() || archivePath.isEmpty() || !source.isDir() || target.isDir()) {
        return kFailed;
    }
    const QString targetPath = target.absoluteFilePath();
    const QString targetFolder = target.absolutePath();

    QList<SourceEntry> entries;
    if (!collectEntries(source.absoluteFilePath(), targetPath, entries)) {
        return kFailed;
    }
    const QString temporary = reserveTemporaryName(targetFolder);
    if (temporary.isEmpty()) {
        return kFailed;
    }
    const bool written = entries.isEmpty() ? writeEmptyArchive(temporary) : writeArchive(entries, temporary, progress);
    if (!written || !DurableFile::syncFile(temporary) || !DurableFile::replace(temporary, targetPath)) {
        QFile::remove(temporary);
        return kFailed;
    }
    // The archive is complete either way; a folder that cannot be synced only weakens the crash guarantee.
    DurableFile::syncFolder(targetFolder);
    return kOk;
}

} // namespace ZipArchive
