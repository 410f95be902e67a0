#include "DefaultTypeTable.h"

#include "IconFile.h"
#include "RecordTable.h"
#include "TableFiles.h"
#include "TableSchemas.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

using namespace Qt::StringLiterals;

namespace {

QImage render(const QString& resource, int size)
{
    QSvgRenderer renderer(resource);
    if (!renderer.isValid())
        return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

using IconFile::ColourDepth;

} // namespace

QList<DefaultType> defaultTypes()
{
    const QString windowProgram = u":/types/window-program.svg"_s;
    return {
        {u"窗口程序"_s, IconFile::encode({{render(windowProgram, 16), ColourDepth::Rgb24},
                                          {render(windowProgram, 32), ColourDepth::Rgb24}})},
        {u"DLL动态链接库"_s, IconFile::encode({{render(u":/types/dll.svg"_s, 32), ColourDepth::Rgb24}})},
        {u"模块"_s, IconFile::encode({{render(u":/types/module.svg"_s, 32), ColourDepth::Palette8}})},
    };
}

bool writeDefaultTypeTable(const QString& dataDir)
{
    const QList<DefaultType> types = defaultTypes();
    for (const DefaultType& type : types) {
        if (type.icon.isEmpty())
            return false;
    }

    const QString tablePath = dataDir + u'/' + TableSchemas::typeTableFileName();
    const QString bytesPath = dataDir + u'/' + TableSchemas::typeBytesFileName();
    const QString tempTable = TableFiles::temporaryTablePath(tablePath);
    const QString tempBytes = TableFiles::companionPath(tempTable);

    bool ok = RecordTable::create(tempTable, TableSchemas::typeFields());
    if (ok) {
        RecordTable table;
        ok = table.open(tempTable);
        for (const DefaultType& type : types)
            ok = ok && table.appendRecord({type.name, type.icon});
        table.close();
    }
    ok = ok && TableFiles::moveIntoPlace(tempTable, tempBytes, tablePath, bytesPath, true);
    if (!ok) {
        QFile::remove(tempTable);
        QFile::remove(tempBytes);
        return false;
    }
    CatalogueNotice::announce(CatalogueNotice::Part::Projects); // the list shows the types' icons
    return true;
}
