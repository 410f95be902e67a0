#include "backup/DataBackup.h"

#include "app/AppDir.h"
#include "archive/ZipArchive.h"
#include "platform/FileSystem.h"
#include "store/TableSchemas.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

QString dataFolderPath()
{
    return AppDir::filePath(TableSchemas::dataFolderName());
}

// A rename that never falls back to copying. Across file systems it fails at once and leaves both places as
// they were, where a copy could run out of room half-way and leave a partial file behind.
bool moveStrictly(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

bool isInside(const QString& path, const QString& folder)
{
#ifdef Q_OS_WIN
    constexpr Qt::CaseSensitivity kCase = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity kCase = Qt::CaseSensitive;
#endif
    return path.compare(folder, kCase) == 0 || path.startsWith(folder + u'/', kCase);
}

// Moves the staged tree into the data folder, keeping every file it replaces; undoes itself unless committed.
class StagedMove
{
public:
    StagedMove(QString stage, QString data, QString kept)
        : m_stage(std::move(stage))
        , m_data(std::move(data))
        , m_kept(std::move(kept))
    {
    }
    ~StagedMove()
    {
        if (!m_committed)
            undo();
    }

    bool run()
    {
        if (!QDir().mkpath(m_data))
            return false;
        QStringList folders;
        QStringList files;
        QDirIterator it(m_stage, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo entry = it.nextFileInfo();
            const QString relative = QDir(m_stage).relativeFilePath(entry.filePath());
            (entry.isDir() && !entry.isSymLink() ? folders : files).append(relative);
        }
        // Parents before their children.
        std::sort(folders.begin(), folders.end(),
                  [](const QString& a, const QString& b) { return a.count(u'/') < b.count(u'/'); });
        for (const QString& folder : folders) {
            if (!placeFolder(folder))
                return false;
        }
        for (const QString& file : files) {
            if (!placeFile(file))
                return false;
        }
        return true;
    }

    void commit() { m_committed = true; }

private:
    static bool exists(const QString& path) { return QFileInfo(path).exists() || QFileInfo(path).isSymLink(); }

    bool keep(const QString& relative)
    {
        const QString target = m_data + u'/' + relative;
        const QString kept = m_kept + u'/' + relative;
        if (!QDir().mkpath(QFileInfo(kept).path()) || !moveStrictly(target, kept))
            return false;
        m_keptMoves.append(relative);
        return true;
    }

    bool placeFolder(const QString& relative)
    {
        const QString target = m_data + u'/' + relative;
        const QFileInfo info(target);
        if (info.isDir() && !info.isSymLink())
            return true;
        if (exists(target) && !keep(relative))
            return false;
        if (!QDir().mkdir(target))
            return false;
        m_createdFolders.append(target);
        return true;
    }

    bool placeFile(const QString& relative)
    {
        const QString target = m_data + u'/' + relative;
        if (exists(target) && !keep(relative))
            return false;
        if (!moveStrictly(m_stage + u'/' + relative, target))
            return false;
        m_placed.append(relative);
        return true;
    }

    void undo()
    {
        for (auto it = m_placed.crbegin(); it != m_placed.crend(); ++it)
            moveStrictly(m_data + u'/' + *it, m_stage + u'/' + *it);
        for (auto it = m_createdFolders.crbegin(); it != m_createdFolders.crend(); ++it)
            QDir().rmdir(*it);
        for (auto it = m_keptMoves.crbegin(); it != m_keptMoves.crend(); ++it)
            moveStrictly(m_kept + u'/' + *it, m_data + u'/' + *it);
    }

    QString m_stage;
    QString m_data;
    QString m_kept;
    QStringList m_placed;
    QStringList m_createdFolders;
    QStringList m_keptMoves;
    bool m_committed = false;
};

} // namespace

namespace DataBackup {

QString keptFolderPath()
{
    return AppDir::filePath(u"data-before-restore"_s);
}

bool backUp(const QString& archivePath, const Progress& progress)
{
    const QString data = QFileInfo(dataFolderPath()).canonicalFilePath();
    const QString targetFolder = QFileInfo(QFileInfo(archivePath).absolutePath()).canonicalFilePath();
    if (data.isEmpty() || targetFolder.isEmpty() || isInside(targetFolder, data))
        return false;
    return ZipArchive::compress(dataFolderPath(), archivePath, progress) == ZipArchive::kOk;
}

bool restore(const QString& archivePath, const Progress& progress)
{
    // Beside the data folder, on its disk even when the folder is a link to another one, so that moving the
    // files in is a rename. (A data folder that is itself the top of another file system cannot be restored
    // into: the first move fails and nothing changes.)
    const QFileInfo data(dataFolderPath());
    const QString beside = data.exists() ? QFileInfo(data.canonicalFilePath()).path() : AppDir::path();
    QTemporaryDir stage(beside + u"/.data-restore-XXXXXX"_s);
    QTemporaryDir kept(beside + u"/.data-before-restore-XXXXXX"_s);
    if (!stage.isValid() || !kept.isValid())
        return false;
    if (ZipArchive::extract(archivePath, stage.path(), progress) != ZipArchive::kOk)
        return false;

    StagedMove move(stage.path(), dataFolderPath(), kept.path());
    if (!move.run())
        return false;
    move.commit();
    kept.setAutoRemove(false); // the replaced files are the user's; they stay even if the rename below fails

    // The data folder is restored; what it replaced takes the place of what an earlier restore replaced.
    const QString keptFolder = keptFolderPath();
    if (QFileInfo::exists(keptFolder))
        FileSystem::removeDirectory(keptFolder);
    QDir().rename(kept.path(), keptFolder);
    return true;
}

} // namespace DataBackup
