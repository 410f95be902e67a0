#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// What a drop on the project list offers as new projects' packages.
namespace DroppedPackage {

// The paths of the local files and folders among `urls`, in the order dropped; web addresses and what is not
// there are passed over.
QStringList pathsOf(const QList<QUrl>& urls);

// The project name a dropped package suggests: a file's name without the last extension ("记账本.zip" →
// "记账本"), a folder's whole name ("记账本 v1.2").
QString suggestedName(const QString& path);

} // namespace DroppedPackage
