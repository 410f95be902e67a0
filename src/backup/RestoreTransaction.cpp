#include "backup/RestoreTransaction.h"

#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "platform/StepHook.h"
#include "projects/FileMoves.h"
#include "store/TableFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

StepHook beforeEachMove;

bool present(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QJsonArray toJson(const QStringList& list)
{
    return QJsonArray::fromStringList(list);
}

QStringList fromJson(const QJsonValue& value)
{
    QStringList list;
    for (const QJsonValue& item : value.toArray())
        list.append(item.toString());
    return list;
}

// A journal names only paths below the folders it was written for.
bool staysInside(const QStringList& relatives)
{
    return std::all_of(relatives.cbegin(), relatives.cend(), [](const QString& relative) {
        return !relative.isEmpty() && !QDir::isAbsolutePath(relative) &&
               !QDir::cleanPath(relative).startsWith(u".."_s) && QDir::cleanPath(relative) == relative;
    });
}

} // namespace

void RestoreTransaction::setBeforeEachMove(std::function<void()> hook)
{
    beforeEachMove.set(std::move(hook));
}

bool RestoreTransaction::move(const QString& from, const QString& to)
{
    beforeEachMove();
    // A rename, never a copy: across file systems it fails at once and leaves both places as they were.
    return DurableFile::replace(from, to);
}

RestoreTransaction RestoreTransaction::planned(const Places& places)
{
    RestoreTransaction plan;
    plan.m_places = places;
    QDirIterator it(places.stage, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry = it.nextFileInfo();
        const QString relative = QDir(places.stage).relativeFilePath(entry.filePath());
        (FileSystem::isRealFolder(entry.filePath()) ? plan.m_folders : plan.m_files).append(relative);
    }
    std::sort(plan.m_folders.begin(), plan.m_folders.end(),
              [](const QString& a, const QString& b) { return a.count(u'/') < b.count(u'/'); });
    for (const QString& folder : std::as_const(plan.m_folders)) {
        if (!FileSystem::isRealFolder(places.data + u'/' + folder))
            plan.m_newFolders.append(folder);
    }
    // A file the data folder holds with the same bytes is left as it is: the restore neither moves it nor keeps
    // it, so restoring a backup of this very installation does not put its whole history in the undo set.
    plan.m_files.removeIf([&places](const QString& file) {
        const QFileInfo target(places.data + u'/' + file);
        return target.isFile() && !target.isSymLink() &&
               FileMoves::sameBytes(target.filePath(), places.stage + u'/' + file);
    });
    for (const QString& file : std::as_const(plan.m_files)) {
        if (present(places.data + u'/' + file))
            plan.m_replaced.insert(file);
    }
    plan.m_valid = true;
    return plan;
}

RestoreTransaction RestoreTransaction::fromJournal(const Places& places)
{
    RestoreTransaction plan;
    QFile file(places.journal);
    if (!file.open(QIODevice::ReadOnly))
        return plan;
    const QJsonObject journal = QJsonDocument::fromJson(file.readAll()).object();
    const QString undo = journal.value(u"undo"_s).toString();
    plan.m_places = places;
    plan.m_places.undo = QFileInfo(places.undo).path() + u'/' + undo;
    plan.m_folders = fromJson(journal.value(u"folders"_s));
    plan.m_newFolders = fromJson(journal.value(u"newFolders"_s));
    plan.m_files = fromJson(journal.value(u"files"_s));
    const QStringList replaced = fromJson(journal.value(u"replaced"_s));
    plan.m_replaced = QSet<QString>(replaced.cbegin(), replaced.cend());
    plan.m_valid = !undo.isEmpty() && !undo.contains(u'/') && undo != u".."_s &&
                   staysInside(plan.m_folders + plan.m_newFolders + plan.m_files + replaced);
    return plan;
}

bool RestoreTransaction::writeJournal() const
{
    const QJsonObject journal{{u"undo"_s, QFileInfo(m_places.undo).fileName()},
                              {u"folders"_s, toJson(m_folders)},
                              {u"newFolders"_s, toJson(m_newFolders)},
                              {u"files"_s, toJson(m_files)},
                              {u"replaced"_s, toJson(QStringList(m_replaced.cbegin(), m_replaced.cend()))}};
    return DurableFile::write(m_places.journal, QJsonDocument(journal).toJson());
}

bool RestoreTransaction::keep(const QString& relative)
{
    const QString target = m_places.data + u'/' + relative;
    const QString kept = m_places.undo + u'/' + relative;
    return QDir().mkpath(QFileInfo(kept).path()) && move(target, kept);
}

bool RestoreTransaction::placed(const QString& file) const
{
    if (present(m_places.stage + u'/' + file))
        return false;
    // A replaced file leaves for the undo folder before its successor comes in.
    return present(m_places.data + u'/' + file) && (!m_replaced.contains(file) || present(m_places.undo + u'/' + file));
}

bool RestoreTransaction::moveIn()
{
    for (const QString& folder : std::as_const(m_folders)) {
        const QString target = m_places.data + u'/' + folder;
        if (FileSystem::isRealFolder(target))
            continue;
        if ((present(target) && !keep(folder)) || !QDir().mkdir(target))
            return false;
    }
    for (const QString& file : std::as_const(m_files)) {
        const QString staged = m_places.stage + u'/' + file;
        const QString target = m_places.data + u'/' + file;
        if (placed(file))
            continue; // moved in before a kill
        if (!present(staged))
            return false;
        // A table leaves with its journal, so the journal can never be played into the restored table.
        if (present(TableFiles::journalPath(target)) && !keep(TableFiles::journalPath(file)))
            return false;
        if ((present(target) && !keep(file)) || !move(staged, target))
            return false;
    }
    syncTouched();
    return true;
}

bool RestoreTransaction::moveBack()
{
    bool whole = true;
    const auto putBack = [&](const QString& relative) {
        const QString kept = m_places.undo + u'/' + relative;
        if (present(kept) && !move(kept, m_places.data + u'/' + relative))
            whole = false;
    };
    for (auto it = m_files.crbegin(); it != m_files.crend(); ++it) {
        const QString staged = m_places.stage + u'/' + *it;
        const QString target = m_places.data + u'/' + *it;
        if (placed(*it) && present(target) && (!QDir().mkpath(QFileInfo(staged).path()) || !move(target, staged)))
            whole = false;
        putBack(*it);
        putBack(TableFiles::journalPath(*it));
    }
    for (auto it = m_newFolders.crbegin(); it != m_newFolders.crend(); ++it) {
        const QString target = m_places.data + u'/' + *it;
        if (FileSystem::isRealFolder(target) && !QDir().rmdir(target))
            whole = false;
        putBack(*it);
    }
    syncTouched();
    if (whole && FileSystem::isRealFolder(m_places.undo))
        FileSystem::removeDirectory(m_places.undo);
    return whole;
}

bool RestoreTransaction::close()
{
    if (!QFile::remove(m_places.journal) && present(m_places.journal))
        return false;
    DurableFile::syncFolder(QFileInfo(m_places.journal).absolutePath());
    if (FileSystem::isRealFolder(m_places.stage))
        FileSystem::removeDirectory(m_places.stage);
    return true;
}

void RestoreTransaction::syncTouched() const
{
    // Every folder a rename went into or out of, so the new names are on disk before the journal goes.
    QStringList folders{m_places.data, m_places.stage};
    for (const QString& folder : m_folders)
        folders << m_places.data + u'/' + folder << m_places.stage + u'/' + folder;
    for (const QString& file : m_files)
        folders << QFileInfo(m_places.undo + u'/' + file).path();
    folders << m_places.undo << QFileInfo(m_places.undo).path();
    folders.removeDuplicates();
    for (const QString& folder : std::as_const(folders)) {
        if (FileSystem::isRealFolder(folder))
            DurableFile::syncFolder(folder);
    }
}
