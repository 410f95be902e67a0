#include "FuzzBodies.h"

#include "app/IniFile.h"
#include "app/SettingsKeys.h"
#include "archive/NativeFs.h"
#include "archive/ZipArchive.h"
#include "archive/ZipEntryName.h"
#include "store/RecordTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdlib>
#include <functional>

namespace FuzzBodies {

namespace {

void require(bool promise)
{
    if (!promise)
        std::abort();
}

QByteArray bytesOf(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// One folder per body for the whole run: a fresh temporary folder per input would cost more than the work.
QString scratch(const QString& body)
{
    static QTemporaryDir dir;
    const QString path = dir.path() + u'/' + body;
    QDir().mkpath(path);
    return path;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The keys the program uses, and the section/key pairs the input itself seems to name.
QList<std::pair<QString, QString>> keysToAsk(const QByteArray& bytes)
{
    QList<std::pair<QString, QString>> keys;
    for (const SettingsKeys::Key& key :
         {SettingsKeys::kTitle, SettingsKeys::kImportOptional, SettingsKeys::kManualNumbering,
          SettingsKeys::kBackground, SettingsKeys::kBackgroundOnce, SettingsKeys::kTextColour,
          SettingsKeys::kTextBackColour, SettingsKeys::kBackColour, SettingsKeys::kExecutionDir,
          SettingsKeys::kNavigationPage, SettingsKeys::kListArrangement, SettingsKeys::kDeleteWithPackage})
        keys.append({QString::fromUtf16(key.section), QString::fromUtf16(key.key)});
    QString section;
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size() && i < 32; ++i) {
        const QString line = QString::fromLatin1(lines.at(i)).trimmed();
        if (line.startsWith(u'[') && line.contains(u']'))
            section = line.mid(1, line.indexOf(u']') - 1);
        else if (const qsizetype eq = line.indexOf(u'='); eq > 0)
            keys.append({section, line.left(eq).trimmed()});
    }
    return keys;
}

bool isInside(const QString& path, const QString& root)
{
    return path == root || path.startsWith(root + u'/');
}

// Every entry below folder, with its status, by the names the file system holds.
void walk(const QString& folder, const std::function<void(const QString&, const NativeFs::Status&)>& visit)
{
    const std::optional<QStringList> names = NativeFs::listFolder(folder);
    require(names.has_value());
    for (const QString& name : *names) {
        const QString path = folder + u'/' + name;
        const NativeFs::Status status = NativeFs::statusOf(path);
        visit(path, status);
        if (status.kind == NativeFs::Kind::Folder)
            walk(path, visit);
    }
}

} // namespace

int settingsFile(const uint8_t* data, size_t size)
{
    const QByteArray bytes = bytesOf(data, size);
    const IniFile before = IniFile::fromBytes(bytes);
    const QList<std::pair<QString, QString>> keys = keysToAsk(bytes);
    QList<std::pair<bool, QString>> answers;
    for (const auto& [section, key] : keys) {
        bool found = false;
        const QString value = before.value(section, key, &found);
        answers.append({found, value});
    }

    const QString title = QStringLiteral("测试 title ☃");
    IniFile written = before;
    written.setValue(QStringLiteral("System"), QStringLiteral("Title"), title);
    const QByteArray out = written.toBytes();
    const IniFile after = IniFile::fromBytes(out);
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const auto& [section, key] = keys.at(i);
        if (section.compare(u"System", Qt::CaseInsensitive) == 0 && key.compare(u"Title", Qt::CaseInsensitive) == 0)
            continue;
        bool found = false;
        const QString value = after.value(section, key, &found);
        require(found == answers.at(i).first && value == answers.at(i).second);
    }
    bool found = false;
    require(after.value(QStringLiteral("System"), QStringLiteral("Title"), &found) == title && found);
    require(after.toBytes() == out);
    return 0;
}

int recordTable(const uint8_t* data, size_t size)
{
    const QByteArray bytes = bytesOf(data, size);
    const QString folder = scratch(QStringLiteral("table"));
    const QString path = folder + QStringLiteral("/table.edb");
    QFile::remove(path);
    QFile::remove(folder + QStringLiteral("/table.edt"));
    require(writeFile(path, bytes));
    {
        RecordTable table;
        if (table.open(path)) {
            const int fields = table.fieldCount();
            const int records = table.recordCount();
            require(fields >= 0 && records >= 0);
            for (int field = 1; field <= fields; ++field)
                require(table.readColumn(field).size() <= records);
            for (table.goFirst(); !table.pastLast(); table.skip()) {
                table.isDeleted();
                for (int field = 1; field <= fields; ++field)
                    table.readField(field);
            }
        } else {
            require(table.recordCount() == 0 && table.pastLast() && !table.goFirst());
        }
    }
    // Opening and reading never write: not the file, not a journal beside it.
    require(readFile(path) == bytes);
    require(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot) ==
            QStringList{QStringLiteral("table.edb")});
    return 0;
}

int extractArchive(const uint8_t* data, size_t size)
{
    const QString folder = scratch(QStringLiteral("extract"));
    const QString root = folder + QStringLiteral("/out");
    const QString target = root + QStringLiteral("/target");
    const QString archive = folder + QStringLiteral("/in.zip");
    // Unpacked names need not be UTF-8, and Qt cannot name those: the file system's own calls look and remove.
    require(NativeFs::removeTree(root) || !QFileInfo::exists(root));
    require(QDir().mkpath(root));
    require(writeFile(archive, bytesOf(data, size)));

    const bool extracted = ZipArchive::extract(archive, target) == ZipArchive::Outcome::Ok;
    // A refused archive leaves nothing: not even the folder it would have made.
    require(extracted || !QFileInfo::exists(target));

    const QString canonicalTarget = QFileInfo(target).canonicalFilePath();
    walk(root, [&](const QString& path, const NativeFs::Status& status) {
        require(isInside(path, target));
        if (status.kind == NativeFs::Kind::Link) {
            const std::optional<QByteArray> stored = NativeFs::linkTarget(path);
            require(stored.has_value());
            const QString linkTarget = NativeFs::decodeName(*stored);
            // Not QDir::isAbsolutePath: to Qt a name that starts with ':' is a resource, and absolute.
            const QString resolved = QDir::cleanPath(
                linkTarget.startsWith(u'/') ? linkTarget : path.left(path.lastIndexOf(u'/') + 1) + linkTarget);
            require(isInside(resolved, target) || (!canonicalTarget.isEmpty() && isInside(resolved, canonicalTarget)));
        }
    });
    // Nothing beside the scratch files either.
    const QStringList beside = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : beside)
        require(name == u"in.zip" || name == u"out");
    // Whatever was unpacked can be removed again, or the next input would find it.
    require(NativeFs::removeTree(root));
    return 0;
}

int entryName(const uint8_t* data, size_t size)
{
    const QList<QByteArray> names = bytesOf(data, size).split('\n');
    const ZipEntryName::LegacyEncoding encoding = ZipEntryName::chooseLegacyEncoding(names);
    for (const QByteArray& raw : names) {
        const QString name = ZipEntryName::decode(raw, encoding);
        const std::optional<QString> relative = ZipEntryName::safeRelativePath(name);
        if (!relative)
            continue;
        require(!relative->isEmpty() && !relative->startsWith(u'/') && !relative->contains(u'\\'));
#ifdef Q_OS_WIN
        // No drive ("c:x" is relative to another folder there) and no alternate data stream.
        require(!relative->contains(u':'));
#endif
        // Elsewhere "C:" left after "./" is an ordinary name below the target.
        require(!relative->contains(QChar(0)));
        for (const QString& part : relative->split(u'/'))
            require(part != u".." && part != u".");
        require(QDir::cleanPath(QStringLiteral("/t/") + *relative).startsWith(u"/t/"));
    }
    return 0;
}

} // namespace FuzzBodies
