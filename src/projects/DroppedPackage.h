#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// What a drop on the project list offers as a new project's package.
namespace DroppedPackage {

// The path of the one local file among `urls`; empty for a folder, for several items, for a web address and
// for a file that is not there.
QString pathOf(const QList<QUrl>& urls);

// The project name a dropped file suggests: its name without the last extension ("记账本.zip" → "记账本").
QString suggestedName(const QString& path);

} // namespace DroppedPackage
