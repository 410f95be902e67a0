#include "projects/PackageHistory.h"

#include "app/AppDir.h"
#include "app/AppSettings.h"
#include "platform/Clock.h"
#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "projects/ProjectCatalogue.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace PackageHistory {

namespace {

constexpr qint64 kCompareChunk = 1 << 20;
constexpr qint64 kMebibyte = 1024 * 1024;

const QString kTimeFormat = u"yyyyMMdd-HHmmss-zzz"_s;

bool s_linksRefused = false;

// Each cause as file names spell it (plain ASCII, so a history copied to any disk keeps its names) and as the
// history window shows it.
struct CauseName
{
    Cause cause;
    QString token;
    QString label;
};
const QList<CauseName>& causeNames()
{
    static const QList<CauseName> names{
        {Cause::Update, u"update"_s, u"更新项目"_s}, {Cause::UpdateBack, u"updateback"_s, u"更新回"_s},
        {Cause::Restore, u"restore"_s, u"导入"_s},   {Cause::Revert, u"revert"_s, u"恢复版本"_s},
        {Cause::Undelete, u"undelete"_s, u"还原"_s}, {Cause::Create, u"create"_s, u"新建项目"_s},
        {Cause::Abandon, u"abandon"_s, u"放弃"_s}};
    return names;
}

const CauseName& nameOf(Cause cause)
{
    return *std::find_if(causeNames().cbegin(), causeNames().cend(),
                         [cause](const CauseName& name) { return name.cause == cause; });
}

const QRegularExpression& versionPattern()
{
    static const QRegularExpression pattern(u"^(\\d{8}-\\d{6}-\\d{3})-([a-z]+)-(.*)\\.fd1$"_s);
    return pattern;
}

QString packageTypeOf(const QString& number)
{
    const int record = ProjectCatalogue::recordOf(number);
    return record > 0 ? ProjectCatalogue::readProject(record).packageType : QString();
}

// A folder made for a version must itself survive a power loss, or the link in it goes with it.
bool makeFolder(const QString& folder)
{
    if (FileSystem::isRealFolder(folder))
        return true;
    if (!QDir().mkpath(folder))
        return false;
    const QString parent = QFileInfo(folder).absolutePath();
    DurableFile::syncFolder(QFileInfo(parent).absolutePath());
    DurableFile::syncFolder(parent);
    return DurableFile::syncFolder(folder);
}

struct Limits
{
    qsizetype versions;
    qint64 bytes;
};
Limits limits()
{
    const AppSettings settings;
    return {settings.readLimit(SettingsKeys::kHistoryVersions),
            qint64(settings.readLimit(SettingsKeys::kHistoryMegabytes)) * kMebibyte};
}

QList<Version> versionsIn(const QString& folder)
{
    QList<Version> found;
    if (!FileSystem::isRealFolder(folder))
        return found;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name)) {
        if (std::optional<Version> version = parseVersion(dir.filePath(name)))
            found.append(*version);
    }
    // File names sort as their times do: the newest is the greatest.
    std::reverse(found.begin(), found.end());
    return found;
}

} // namespace

QString label(Cause cause)
{
    return nameOf(cause).label;
}

QString rootFolder()
{
    return AppDir::path() + u'/' + TableSchemas::dataFolderName() + u"/history"_s;
}

QString folderOf(const QString& number)
{
    return rootFolder() + u'/' + TableSchemas::packageFileOf(number);
}

QString versionName(const QDateTime& time, Cause cause, const QString& packageType)
{
    return time.toString(kTimeFormat) + u'-' + nameOf(cause).token + u'-' + packageType + TableSchemas::packageSuffix();
}

std::optional<Version> parseVersion(const QString& path)
{
    const QFileInfo file(path);
    const QRegularExpressionMatch match = versionPattern().match(file.fileName());
    if (!match.hasMatch())
        return std::nullopt;
    Version version;
    version.path = file.absoluteFilePath();
    version.time = QDateTime::fromString(match.captured(1), kTimeFormat);
    const auto known = std::find_if(causeNames().cbegin(), causeNames().cend(),
                                    [&match](const CauseName& name) { return name.token == match.captured(2); });
    if (!version.time.isValid() || known == causeNames().cend())
        return std::nullopt;
    version.cause = known->cause;
    version.packageType = match.captured(3);
    version.size = file.size();
    return version;
}

QList<Version> versions(const QString& number)
{
    if (!TableSchemas::hasPackageFile(number))
        return {};
    return versionsIn(folderOf(number));
}

void setLinksRefused(bool refused)
{
    s_linksRefused = refused;
}

bool sameBytes(const QString& a, const QString& b)
{
    if (FileSystem::sameFile(a, b))
        return true;
    QFile first(a);
    QFile second(b);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly) || first.size() != second.size())
        return false;
    while (!first.atEnd()) {
        const QByteArray chunk = first.read(kCompareChunk);
        if (chunk.isEmpty() || chunk != second.read(kCompareChunk))
            return false;
    }
    return second.atEnd();
}

QString keepFileInto(const QString& current, const QString& folder, Cause cause, const QString& packageType,
                     const QString& alsoTaken)
{
    if (!makeFolder(folder))
        return {};
    // A table made elsewhere may hold any text as a package type; one that cannot stand in a file name is
    // not kept with the version, which then exports under the dialog's catch-all filter.
    const QString type = FileSystem::isValidFileName(packageType, 32) ? packageType : QString();
    // Two versions kept within one millisecond (or under a clock that stands still) still get names of their
    // own, in the order they were kept.
    QDateTime time = Clock::now();
    if (const QList<Version> existing = versionsIn(folder); !existing.isEmpty() && time <= existing.first().time)
        time = existing.first().time.addMSecs(1);
    const auto taken = [&](const QString& candidate) {
        const QFileInfo here(folder + u'/' + candidate);
        return here.exists() || here.isSymLink() ||
               (!alsoTaken.isEmpty() && QFileInfo::exists(alsoTaken + u'/' + candidate));
    };
    QString name = versionName(time, cause, type);
    while (taken(name)) {
        time = time.addMSecs(1);
        name = versionName(time, cause, type);
    }
    const QString path = folder + u'/' + name;
    // A link costs no byte and no time; only a disk without links pays for a complete copy.
    if ((!s_linksRefused && DurableFile::keepAs(current, path)) || FileSystem::copyFile(current, path))
        return path;
    return {};
}

std::optional<QString> keep(const QString& number, Cause cause, const QString& replacement)
{
    return keepInto(rootFolder(), number, cause, replacement);
}

std::optional<QString> keepInto(const QString& history, const QString& number, Cause cause, const QString& replacement)
{
    if (!TableSchemas::hasPackageFile(number))
        return QString();
    const QString stored = ProjectCatalogue::packagePath(number);
    if (!QFileInfo(stored).isFile())
        return QString();
    if (!replacement.isEmpty() && sameBytes(stored, replacement))
        return QString();
    const QList<Version> kept = versions(number);
    if (!kept.isEmpty() && sameBytes(stored, kept.first().path))
        return QString();
    const QString folder = history + u'/' + TableSchemas::packageFileOf(number);
    const QString version = keepFileInto(stored, folder, cause, packageTypeOf(number), folderOf(number));
    if (version.isEmpty())
        return std::nullopt;
    return folderOf(number) + u'/' + QFileInfo(version).fileName();
}

void drop(const QString& version)
{
    if (version.isEmpty())
        return;
    QFile::remove(version);
    // A history made for this version alone goes with it, so a replacement that failed leaves the data
    // folder as it found it.
    const QString folder = QFileInfo(version).absolutePath();
    const QString root = QFileInfo(folder).absolutePath();
    if (QDir().rmdir(folder) && QDir().rmdir(root))
        DurableFile::syncFolder(QFileInfo(root).absolutePath());
    else
        DurableFile::syncFolder(QDir().exists(folder) ? folder : root);
}

bool keepCurrent(const QString& number, Cause cause, const QString& replacement)
{
    const std::optional<QString> version = keep(number, cause, replacement);
    if (!version)
        return false;
    if (!version->isEmpty())
        prune({*version});
    return true;
}

void prune(const QStringList& spared)
{
    const Limits limit = limits();
    const auto isSpared = [&spared](const Version& v) {
        return std::any_of(spared.cbegin(), spared.cend(),
                           [&v](const QString& path) { return QFileInfo(path).absoluteFilePath() == v.path; });
    };
    // The version just kept is never pruned, so a package bigger than the size limit (or a limit of 0)
    // still leaves that one version: the package it replaced is not lost the moment it is replaced.
    QList<Version> remaining;
    const QDir root(rootFolder());
    for (const QString& project : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        const QList<Version> all = versionsIn(root.filePath(project));
        for (qsizetype i = 0; i < all.size(); ++i) {
            if (i >= limit.versions && !isSpared(all.at(i)))
                QFile::remove(all.at(i).path);
            else
                remaining.append(all.at(i));
        }
        if (all.size() > limit.versions)
            DurableFile::syncFolder(root.filePath(project));
    }

    qint64 total = 0;
    for (const Version& v : std::as_const(remaining))
        total += v.size;
    std::sort(remaining.begin(), remaining.end(), [](const Version& a, const Version& b) { return a.time < b.time; });
    for (const Version& v : std::as_const(remaining)) {
        if (total <= limit.bytes)
            break;
        if (isSpared(v))
            continue;
        if (QFile::remove(v.path)) {
            total -= v.size;
            DurableFile::syncFolder(QFileInfo(v.path).absolutePath());
        }
    }
}

RevertOutcome revert(int recordNumber, const Version& version)
{
    const ProjectRecord project = ProjectCatalogue::readProject(recordNumber);
    if (project.number.isEmpty() || !TableSchemas::hasPackageFile(project.number) || !QFileInfo(version.path).isFile())
        return RevertOutcome::Missing;
    const std::optional<QString> kept = keep(project.number, Cause::Revert, version.path);
    if (!kept)
        return RevertOutcome::Failed;

    // The version is given a second name beside the stored package and that name renamed over it, so the
    // stored package is replaced in one step and the version stays in the history as it was.
    const QString stored = ProjectCatalogue::packagePath(project.number);
    if (!QFileInfo(stored).isFile() || !sameBytes(stored, version.path)) {
        const QString temporary = DurableFile::temporaryBeside(stored);
        const bool placed =
            (DurableFile::keepAs(version.path, temporary) || FileSystem::copyFile(version.path, temporary)) &&
            DurableFile::replace(temporary, stored) && DurableFile::syncFolder(QFileInfo(stored).absolutePath());
        if (!placed) {
            QFile::remove(temporary);
            drop(*kept);
            return RevertOutcome::Failed;
        }
    }
    prune({*kept});

    ProjectTable projects;
    if (!projects.open() || !projects.goTo(recordNumber))
        return RevertOutcome::DatabaseError;
    ProjectRecord record = projects.readProject();
    record.packageType = version.packageType;
    return projects.modifyProject(record) ? RevertOutcome::Reverted : RevertOutcome::DatabaseError;
}

} // namespace PackageHistory
