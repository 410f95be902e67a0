#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One of the built-in project types: its name and the complete bytes of its icon file.
struct DefaultType
{
    QString name;
    QByteArray icon;
};

// The three built-in types in record order: 窗口程序, DLL动态链接库, 模块. The icons are drawn from the
// program's own pictures (":/types/...svg") and encoded as .ico files; painting needs a QGuiApplication
// (the offscreen platform will do).
QList<DefaultType> defaultTypes();

// (Over)writes dataDir/type.edb and dataDir/type.edt with exactly the built-in types. The new pair is built
// under temporary names and renamed into place, so a failure leaves the old pair as it was.
bool writeDefaultTypeTable(const QString& dataDir);
