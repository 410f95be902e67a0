#include "archive/ExtractionStage.h"

#include "archive/NativeFs.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

// The owner can always go into, list and add to a folder the archive made; otherwise it could be neither filled,
// nor packed back, nor removed.
constexpr int kOwnerCanUseFolder = 0700;

QString parentOf(const QString& relativePath)
{
    const qsizetype slash = relativePath.lastIndexOf(u'/');
    return slash < 0 ? QString() : relativePath.left(slash);
}

} // namespace

ExtractionStage::ExtractionStage(const QString& targetDir, const QList<PlannedEntry>& entries)
    : m_targetDir(QDir::cleanPath(QFileInfo(targetDir).absoluteFilePath()))
    , m_entries(entries)
{
}

ExtractionStage::~ExtractionStage()
{
    // Qt cannot name an entry that the file system holds under bytes that are not UTF-8 (an archive's file-system
    // name), so it could not empty the stage or the folders made for it: they are removed byte for byte.
    if (m_stage) {
        m_stage->setAutoRemove(false);
        NativeFs::removeTree(m_stage->path());
    }
    if (!m_committed && !m_createdTop.isEmpty()) {
        NativeFs::removeTree(m_createdTop);
    }
}

bool ExtractionStage::noteFolder(const QString& relativePath)
{
    if (m_folders.contains(relativePath)) {
        return true;
    }
    const QString parent = parentOf(relativePath);
    if (!noteFolder(parent)) {
        return false;
    }
    Folder folder;
    if (m_folders.value(parent).inTarget) {
        if (m_targetExisted) {
            const NativeFs::Kind kind = NativeFs::statusOf(m_targetDir + u'/' + relativePath).kind;
            if (kind != NativeFs::Kind::Folder && kind != NativeFs::Kind::Missing) {
                return false;
            }
            folder.inTarget = kind == NativeFs::Kind::Folder;
        }
        if (!folder.inTarget) {
            m_newTops.append(relativePath);
        }
    }
    m_folders.insert(relativePath, folder);
    return true;
}

bool ExtractionStage::survey()
{
    m_targetExisted = QFileInfo(m_targetDir).isDir();
    m_folders.insert(QString(), Folder{true, true, -1, {}});
    m_replaces = QList<bool>(m_entries.size(), false);
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const PlannedEntry& entry = m_entries.at(i);
        if (entry.isFolder()) {
            if (!noteFolder(entry.path)) {
                return false;
            }
            Folder& folder = m_folders[entry.path];
            folder.mode = entry.mode;
            folder.modified = entry.modified;
            continue;
        }
        const QString parent = parentOf(entry.path);
        if (!noteFolder(parent)) {
            return false;
        }
        if (m_targetExisted && m_folders.value(parent).inTarget) {
            const NativeFs::Kind kind = NativeFs::statusOf(m_targetDir + u'/' + entry.path).kind;
            if (kind == NativeFs::Kind::Folder) {
                return false;
            }
            m_replaces[i] = kind != NativeFs::Kind::Missing;
        }
    }
    return true;
}

bool ExtractionStage::open()
{
    if (!QFileInfo(m_targetDir).isDir()) {
        // Remember the outermost folder that did not exist, so that a failure leaves the parents as they were.
        QString top = m_targetDir;
        for (QFileInfo parent(QFileInfo(top).absolutePath()); !parent.exists() && !parent.isRoot();
             parent.setFile(parent.absolutePath())) {
            top = parent.absoluteFilePath();
        }
        if (!QDir().mkpath(m_targetDir)) {
            QDir(top).removeRecursively();
            return false;
        }
        m_createdTop = top;
    }
    m_stage = std::make_unique<QTemporaryDir>(m_targetDir + u"/.tallyra-extract-XXXXXX"_s);
    m_newRoot = m_stage->filePath(u"new"_s);
    m_oldRoot = m_stage->filePath(u"old"_s);
    return m_stage->isValid() && NativeFs::makeFolder(m_newRoot, kOwnerCanUseFolder) &&
           NativeFs::makeFolder(m_oldRoot, kOwnerCanUseFolder);
}

bool ExtractionStage::stageFolder(const QString& relativePath)
{
    const auto found = m_folders.constFind(relativePath);
    if (found == m_folders.cend()) {
        return false;
    }
    if (found->staged) {
        return true;
    }
    if (!stageFolder(parentOf(relativePath))) {
        return false;
    }
    Folder& folder = m_folders[relativePath];
    // A folder the target has is only a waiting room here; a new one gets its final mode now, the umask applying.
    const int mode = folder.inTarget
                         ? kOwnerCanUseFolder
                         : (folder.mode >= 0 ? folder.mode : NativeFs::kDefaultFolderMode) | kOwnerCanUseFolder;
    if (!NativeFs::makeFolder(m_newRoot + u'/' + relativePath, mode)) {
        return false;
    }
    folder.staged = true;
    return true;
}

QString ExtractionStage::stagedPath(qsizetype entry)
{
    const QString& path = m_entries.at(entry).path;
    return stageFolder(parentOf(path)) ? m_newRoot + u'/' + path : QString();
}

bool ExtractionStage::commit()
{
    // New folders that hold nothing were not needed while writing, but are part of the tree that moves.
    for (auto folder = m_folders.cbegin(); folder != m_folders.cend(); ++folder) {
        if (!folder->inTarget && !folder->staged && !stageFolder(folder.key())) {
            return false;
        }
    }
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const PlannedEntry& entry = m_entries.at(i);
        if (entry.isFolder() || !m_folders.value(parentOf(entry.path)).inTarget) {
            continue;
        }
        Move move{m_targetDir + u'/' + entry.path, m_newRoot + u'/' + entry.path, {}};
        if (m_replaces.at(i)) {
            move.replacedCopy = m_oldRoot + u'/' + QString::number(i);
            if (!NativeFs::rename(move.placed, move.replacedCopy)) {
                undo();
                return false;
            }
        }
        if (!NativeFs::rename(move.staged, move.placed)) {
            if (!move.replacedCopy.isEmpty()) {
                NativeFs::rename(move.replacedCopy, move.placed);
            }
            undo();
            return false;
        }
        m_moves.append(move);
    }
    for (const QString& top : std::as_const(m_newTops)) {
        Move move{m_targetDir + u'/' + top, m_newRoot + u'/' + top, {}};
        if (!NativeFs::rename(move.staged, move.placed)) {
            undo();
            return false;
        }
        m_moves.append(move);
    }
    m_committed = true;
    // Filling a folder moves its time; only now can the archive's time stand. A time that cannot be set costs
    // nothing that the content needs.
    for (auto folder = m_folders.cbegin(); folder != m_folders.cend(); ++folder) {
        if (!folder->inTarget && folder->modified) {
            NativeFs::setModified(m_targetDir + u'/' + folder.key(), *folder->modified);
        }
    }
    return true;
}

void ExtractionStage::undo()
{
    for (auto move = m_moves.crbegin(); move != m_moves.crend(); ++move) {
        if (!NativeFs::rename(move->placed, move->staged)) {
            NativeFs::removeFile(move->placed);
        }
        if (!move->replacedCopy.isEmpty()) {
            NativeFs::rename(move->replacedCopy, move->placed);
        }
    }
    m_moves.clear();
}
