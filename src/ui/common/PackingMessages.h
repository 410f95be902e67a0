#pragma once

#include <QString>
#include <QStringList>

// What the user reads when a folder cannot be packed as it is on disk.
namespace PackingMessages {

// "以下文件无法打包（链接到项目目录以外、管道或设备），请移走后再" + `then` + "：" and the first few names, one a
// line: all of them could fill the screen, and the first are enough to find what is in the way.
QString unpackable(const QStringList& names, const QString& then);

} // namespace PackingMessages
