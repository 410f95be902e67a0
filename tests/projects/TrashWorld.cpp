#include "TrashWorld.h"

#include "CatalogBuilder.h"
#include "app/AppDir.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectTrash.h"
#include "projects/TrashBatch.h"
#include "store/ProjectTable.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

namespace TrashWorld {

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString dataFolder()
{
    return AppDir::filePath(u"data"_s);
}

} // namespace

QByteArray packageBytes(const QString& number)
{
    return "package " + number.toUtf8();
}

QByteArray versionBytes(const QString& number)
{
    return "earlier package " + number.toUtf8();
}

void addProjects()
{
    ProjectTable table;
    QVERIFY(table.open());
    for (const QString& n : {u"A"_s, u"B"_s, u"C"_s, u"D"_s}) {
        QVERIFY(table.appendProject(CatalogBuilder::fullRecord(n)));
        const QString earlier = dataFolder() + u"/earlier-"_s + n;
        QFile file(earlier);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(versionBytes(n)) > 0);
        file.close();
        QVERIFY(!PackageHistory::keepFileInto(earlier, PackageHistory::folderOf(n), PackageHistory::Cause::Update,
                                              u"zip"_s, QString())
                     .isEmpty());
        QVERIFY(QFile::remove(earlier));
        QFile package(dataFolder() + u'/' + n + u".fd1"_s);
        QVERIFY(package.open(QIODevice::WriteOnly) && package.write(packageBytes(n)) > 0);
    }
}

QList<QByteArray> reachableBytes()
{
    QList<QByteArray> found;
    const QDir data(dataFolder());
    for (const QString& name : data.entryList({u"*.fd1"_s}, QDir::Files))
        found.append(bytesOf(data.filePath(name)));
    for (const QString& number : CatalogBuilder::projectNumbers()) {
        for (const PackageHistory::Version& version : PackageHistory::versions(number))
            found.append(bytesOf(version.path));
    }
    for (const ProjectTrash::Entry& entry : ProjectTrash::entries()) {
        if (entry.withPackage)
            found.append(bytesOf(entry.packagePath));
        QString batch;
        int key = 0;
        if (!TrashBatch::parseId(entry.id, batch, key))
            continue;
        const QDir history(TrashBatch::historyOf(TrashBatch::pathOf(batch), key));
        for (const QString& name : history.entryList(QDir::Files))
            found.append(bytesOf(history.filePath(name)));
    }
    return found;
}

QStringList strays()
{
    QStringList found;
    for (const QString& name :
         QDir(ProjectTrash::folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (name.startsWith(u'.'))
            found.append(u"trash/"_s + name);
    }
    for (const QString& name : QDir(dataFolder()).entryList(QDir::Files | QDir::Hidden)) {
        if (name.contains(u".placing"_s) || name.contains(u".tmp-"_s))
            found.append(name);
    }
    const QStringList numbers = CatalogBuilder::projectNumbers();
    for (const QString& name : QDir(PackageHistory::rootFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString number = name.chopped(4);
        if (!numbers.contains(number) && !QFileInfo::exists(dataFolder() + u'/' + name))
            found.append(u"history/"_s + name);
    }
    return found;
}

QStringList numbersIn(const QList<ProjectRecord>& projects)
{
    QStringList numbers;
    for (const ProjectRecord& p : projects)
        numbers.append(p.number);
    return numbers;
}

QStringList trashNumbers()
{
    QStringList numbers;
    for (const ProjectTrash::Entry& e : ProjectTrash::entries())
        numbers.append(e.project.number);
    return numbers;
}

int placesOf(const QString& name)
{
    int places = 0;
    for (const ProjectRecord& p : CatalogBuilder::allProjects())
        places += p.name == name ? 1 : 0;
    for (const ProjectTrash::Entry& e : ProjectTrash::entries())
        places += e.hasRecord && e.project.name == name ? 1 : 0;
    return places;
}

int runCutOff(int cutAt, const std::function<void()>& work)
{
    int steps = 0;
    ProjectTrash::setBeforeEachStep([&] {
        if (steps++ == cutAt)
            throw Killed{};
    });
    try {
        work();
    } catch (const Killed&) {
    }
    ProjectTrash::setBeforeEachStep({});
    return steps;
}

} // namespace TrashWorld
