// Writes the data of this folder as the program lays it out with table format 1 and its fourteen project fields:
// DB.EDB, a project table holding CatalogBuilder::fullRecord("P001") and fullRecord("P002"), and backup.fd2, a
// backup of a data folder holding that table and P001's package. Kept as made, so later programs are tested
// against what this one wrote:
//
//   cmake --build build-dev --target make_format1_data
//   TZ=Asia/Shanghai build-dev/tests/backup/make_format1_data tests/data/format1
#include "CatalogBuilder.h"
#include "TempAppDir.h"
#include "backup/DataBackup.h"
#include "store/ProjectTable.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen"); // the installed type table paints its icons
    QGuiApplication application(argc, argv);
    if (argc != 2)
        return 2;
    const QString out = QFileInfo(QFile::decodeName(argv[1])).absoluteFilePath();
    const TempAppDir app;
    {
        ProjectTable table;
        if (!table.open() || !table.appendProject(CatalogBuilder::fullRecord(u"P001"_s)) ||
            !table.appendProject(CatalogBuilder::fullRecord(u"P002"_s)))
            return 1;
    }
    app.writeFile(u"data/P001.fd1"_s, "package of P001");
    QFile::remove(out + u"/DB.EDB"_s);
    QFile::remove(out + u"/backup.fd2"_s);
    return QFile::copy(app.filePath(u"data/DB.EDB"_s), out + u"/DB.EDB"_s) && DataBackup::backUp(out + u"/backup.fd2"_s)
               ? 0
               : 1;
}
