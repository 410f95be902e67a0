#include "projects/PackageHistory.h"

#include "app/AppDir.h"
#include "app/AppSettings.h"
#include "platform/Clock.h"
#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "projects/FileMoves.h"
#include "projects/ProjectCatalogue.h"
#include "projects/WriteSteps.h"
#include "store/CatalogueNotice.h"
#include "store/DataFolder.h"
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
        {Cause::Abandon, u"abandon"_s, u"放弃"_s},   {Cause::Check, u"check"_s, u"检查数据"_s}};
    return names;
}

const CauseName& nameOf(Cause cause)
{
    return *std::find_if(causeNames().cbegin(), causeNames().cend(),
                         [cause](const CauseName& name) { return name.cause == cause; });
}

// The project's version text rides in the name between the cause and the package type, after a "_" (names kept
// before it was shown have none). A name is changed by the one link or rename that keeps the bytes, and every move
// of a version (the trash, a restore's merge, a backup) carries it: nothing a kill could leave disagreeing with the
// version, as a second file beside it could.
const QRegularExpression& versionPattern()
{
    static const QRegularExpression pattern(u"^(\\d{8}-\\d{6}-\\d{3})-([a-z]+)(?:_([^-]*))?-(.*)\\.fd1$"_s);
    return pattern;
}

// A version text as every disk takes it in a name: letters, digits, ".", "_" and spaces stay, every other character
// (the "-" that ends the field among them, which percent-encoding would otherwise keep) becomes %XX of its UTF-8
// bytes. A text longer than a name has room for is cut and ends with "…".
QString escapedText(const QString& text)
{
    constexpr qsizetype kRoomInBytes = 96;   // of a name's 255, beside the time, cause and package type
    const QString ellipsis = u"%E2%80%A6"_s; // "…"
    QString escaped;
    qsizetype bytes = 0;
    const QList<uint> points = text.toUcs4();
    for (const uint point : points) {
        const char32_t c = point;
        QString piece;
        const bool kept = c < 0x80 ? (c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') ||
                                         c == U'.' || c == U'_' || c == U' '
                                   : QChar::isLetterOrNumber(c);
        if (kept)
            piece = QString::fromUcs4(&c, 1);
        else
            piece = QString::fromLatin1(QString::fromUcs4(&c, 1).toUtf8().toPercentEncoding({}, "-~"));
        const qsizetype pieceBytes = piece.toUtf8().size();
        if (bytes + pieceBytes > kRoomInBytes - ellipsis.size())
            return escaped + ellipsis;
        escaped += piece;
        bytes += pieceBytes;
    }
    return escaped;
}

QString unescapedText(const QString& escaped)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(escaped.toUtf8()));
}

std::optional<ProjectRecord> projectOf(const QString& number)
{
    const int record = ProjectCatalogue::recordOf(number);
    if (record <= 0)
        return std::nullopt;
    return ProjectCatalogue::readProject(record);
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

// Where a version kept now goes: its time is now, or a millisecond after the newest version when the clock stands
// still or runs behind, and later still while a version of that name exists in `folder` or `alsoTaken`.
QString freeVersionPath(const QString& folder, Cause cause, const QString& packageType, const QString& versionText,
                        const QString& alsoTaken)
{
    // A table made elsewhere may hold any text as a package type; one that cannot stand in a file name is
    // not kept with the version, which then exports under the dialog's catch-all filter.
    const QString type = FileSystem::isValidFileName(packageType, 32) ? packageType : QString();
    QDateTime time = Clock::now();
    if (const QList<Version> existing = versionsIn(folder); !existing.isEmpty() && time <= existing.first().time)
        time = existing.first().time.addMSecs(1);
    const auto taken = [&](const QString& candidate) {
        const QFileInfo here(folder + u'/' + candidate);
        return here.exists() || here.isSymLink() ||
               (!alsoTaken.isEmpty() && QFileInfo::exists(alsoTaken + u'/' + candidate));
    };
    QString name = versionName(time, cause, type, versionText);
    while (taken(name)) {
        time = time.addMSecs(1);
        name = versionName(time, cause, type, versionText);
    }
    return folder + u'/' + name;
}

// Whether a version of the project holds the bytes of `file`; only versions of its size are read.
bool keptAlready(const QString& number, const QString& file)
{
    const qint64 size = QFileInfo(file).size();
    const QList<Version> kept = versions(number);
    return std::any_of(kept.cbegin(), kept.cend(),
                       [&](const Version& v) { return v.size == size && FileMoves::sameBytes(file, v.path); });
}

} // namespace

QString label(Cause cause)
{
    return nameOf(cause).label;
}

QString rootFolder()
{
    return DataFolder::historyRoot();
}

QString folderOf(const QString& number)
{
    return DataFolder::historyOf(number);
}

QString versionName(const QDateTime& time, Cause cause, const QString& packageType, const QString& versionText)
{
    const QString text = escapedText(versionText);
    return time.toString(kTimeFormat) + u'-' + nameOf(cause).token + (text.isEmpty() ? QString() : u'_' + text) + u'-' +
           packageType + TableSchemas::packageSuffix();
}

QString versionTextOf(const QString& number)
{
    const std::optional<ProjectRecord> project = projectOf(number);
    return project ? project->version : QString();
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
    version.versionText = unescapedText(match.captured(3));
    version.packageType = match.captured(4);
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
    return FileMoves::sameBytes(a, b);
}

QString keepFileInto(const QString& current, const QString& folder, Cause cause, const QString& packageType,
                     const QString& versionText, const QString& alsoTaken)
{
    if (!makeFolder(folder))
        return {};
    const QString path = freeVersionPath(folder, cause, packageType, versionText, alsoTaken);
    // A link costs no byte and no time; only a disk without links pays for a complete copy.
    if ((!s_linksRefused && DurableFile::keepAs(current, path)) || FileSystem::copyFile(current, path))
        return path;
    return {};
}

namespace {

std::optional<QString> keepInto(const QString& history, const QString& number, Cause cause, const QString& replacement)
{
    if (!TableSchemas::hasPackageFile(number))
        return QString();
    const QString stored = ProjectCatalogue::packagePath(number);
    if (!QFileInfo(stored).isFile())
        return QString();
    if (!replacement.isEmpty() && sameBytes(stored, replacement))
        return QString();
    // A package that comes back (恢复此版本, then replaced again) is kept once, not once more each time.
    if (keptAlready(number, stored))
        return QString();
    const QString folder = history + u'/' + TableSchemas::packageFileOf(number);
    // The record still holds the stored package's values here: what replaces it changes the record only afterwards.
    const std::optional<ProjectRecord> project = projectOf(number);
    const QString version = keepFileInto(stored, folder, cause, project ? project->packageType : QString(),
                                         project ? project->version : QString(), folderOf(number));
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

} // namespace

Replacing::Replacing(QString version)
    : m_version(std::move(version))
{
}

std::optional<Replacing> Replacing::begin(const QString& number, Cause cause, const QString& replacement)
{
    return beginInto(rootFolder(), number, cause, replacement);
}

std::optional<Replacing> Replacing::beginInto(const QString& history, const QString& number, Cause cause,
                                              const QString& replacement)
{
    std::optional<QString> version = keepInto(history, number, cause, replacement);
    if (!version)
        return std::nullopt;
    return Replacing(std::move(*version));
}

void Replacing::commit()
{
    // A stored package was replaced: the list shows its size.
    CatalogueNotice::announce(CatalogueNotice::Part::Projects);
    if (!m_version.isEmpty())
        prune({m_version});
}

void Replacing::undo()
{
    drop(m_version);
}

bool keepCurrent(const QString& number, Cause cause, const QString& replacement)
{
    std::optional<Replacing> replacing = Replacing::begin(number, cause, replacement);
    if (!replacing)
        return false;
    replacing->commit();
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

bool adopt(const QString& file, const QString& number, Cause cause, const QString& packageType,
           const QString& versionText)
{
    if (!TableSchemas::hasPackageFile(number) || !QFileInfo(file).isFile())
        return false;
    const QString stored = ProjectCatalogue::packagePath(number);
    if ((QFileInfo(stored).isFile() && sameBytes(file, stored)) || keptAlready(number, file))
        return QFile::remove(file);
    const QString folder = folderOf(number);
    if (!makeFolder(folder))
        return false;
    const QString version = freeVersionPath(folder, cause, packageType, versionText, {});
    if (!FileMoves::moveFile(file, version))
        return false;
    DurableFile::syncFolder(folder);
    return true;
}

bool adoptVersions(const QString& folder, const QString& number, bool sync)
{
    if (!FileSystem::isRealFolder(folder))
        return true;
    if (!TableSchemas::hasPackageFile(number) || !makeFolder(rootFolder()))
        return false;
    const bool merged = FileMoves::mergeFolder(folder, folderOf(number), &laterName);
    if (sync) {
        DurableFile::syncFolder(rootFolder());
        DurableFile::syncFolder(QFileInfo(folder).absolutePath());
    }
    return merged;
}

QString laterName(const QString& name)
{
    const QRegularExpressionMatch match = versionPattern().match(name);
    const QDateTime time = match.hasMatch() ? QDateTime::fromString(match.captured(1), kTimeFormat) : QDateTime();
    const auto known = std::find_if(causeNames().cbegin(), causeNames().cend(),
                                    [&match](const CauseName& n) { return n.token == match.captured(2); });
    if (!time.isValid() || known == causeNames().cend())
        return name + u"-1"_s;
    return versionName(time.addMSecs(1), known->cause, match.captured(4), unescapedText(match.captured(3)));
}

PlaceOutcome place(const QString& number, const QString& packageType, Cause cause,
                   const std::function<bool(const QString& path)>& prepare, const std::function<bool()>& commit)
{
    const QString stored = ProjectCatalogue::packagePath(number);
    const QString placing = DataFolder::placingPath(number, packageType);
    if (!TableSchemas::hasPackageFile(number) || !FileSystem::isValidFileName(QFileInfo(placing).fileName()))
        return PlaceOutcome::NotPrepared;
    WriteSteps::next();
    QFile::remove(placing);
    if (!prepare(placing)) {
        QFile::remove(placing);
        return PlaceOutcome::NotPrepared;
    }
    WriteSteps::next();
    std::optional<Replacing> replacing = Replacing::begin(number, cause, placing);
    if (!replacing) {
        QFile::remove(placing);
        return PlaceOutcome::HistoryRefused;
    }
    WriteSteps::next();
    if (!commit()) {
        QFile::remove(placing);
        replacing->undo();
        return PlaceOutcome::RecordRefused;
    }
    // The record names the new package now: from here on the next start puts it in place if this does not.
    WriteSteps::next();
    if (!DurableFile::replace(placing, stored))
        return PlaceOutcome::Unfinished;
    DurableFile::syncFolder(QFileInfo(stored).absolutePath());
    replacing->commit();
    return PlaceOutcome::Placed;
}

QStringList finishPlacing()
{
    QStringList finished;
    const QDir data(DataFolder::path());
    const QString suffix = DataFolder::placingSuffix();
    for (const QString& name : data.entryList({u"*"_s + suffix + u"*"_s}, QDir::Files | QDir::Hidden)) {
        const QString path = data.filePath(name);
        DataFolder::Placing placing;
        if (!DataFolder::parsePlacing(name, placing)) {
            // A copy into the placing name that a kill cut off.
            if (name.contains(suffix + u".tmp-"_s))
                QFile::remove(path);
            continue;
        }
        const QString& type = placing.packageType;
        const QString& number = placing.number;
        const int record = ProjectCatalogue::recordOf(number);
        const bool committed = record > 0 && ProjectCatalogue::readProject(record).packageType == type;
        if (committed && keepCurrent(number, Cause::Update, path) &&
            DurableFile::replace(path, ProjectCatalogue::packagePath(number))) {
            DurableFile::syncFolder(data.path());
            finished.append(number);
        } else if (!committed) {
            QFile::remove(path);
        }
    }
    return finished;
}

RevertOutcome revert(int recordNumber, const Version& version)
{
    const CatalogueNotice::Hold oneNotice; // the list is filled once, after the last write
    const ProjectRecord project = ProjectCatalogue::readProject(recordNumber);
    if (project.number.isEmpty() || !TableSchemas::hasPackageFile(project.number) || !QFileInfo(version.path).isFile())
        return RevertOutcome::Missing;
    // The version gets a second name beside the stored package, which takes the stored name once the record names
    // the version's package type; the version stays in the history as it was.
    const auto prepare = [&version](const QString& path) {
        return !s_linksRefused ? FileMoves::linkOrCopy(version.path, path) : FileSystem::copyFile(version.path, path);
    };
    const auto commit = [&] {
        ProjectTable projects;
        if (!projects.open() || !projects.goTo(recordNumber))
            return false;
        ProjectRecord record = projects.readProject();
        if (record.number != project.number)
            return false;
        if (record.packageType == version.packageType)
            return true;
        record.packageType = version.packageType;
        return projects.modifyProject(record);
    };
    switch (place(project.number, version.packageType, Cause::Revert, prepare, commit)) {
    case PlaceOutcome::Placed:
    case PlaceOutcome::Unfinished:
        return RevertOutcome::Reverted;
    case PlaceOutcome::RecordRefused:
        return RevertOutcome::DatabaseError;
    case PlaceOutcome::NotPrepared:
    case PlaceOutcome::HistoryRefused:
        break;
    }
    return RevertOutcome::Failed;
}

void setBeforeEachStep(std::function<void()> hook)
{
    WriteSteps::setBeforeEach(std::move(hook));
}

} // namespace PackageHistory
