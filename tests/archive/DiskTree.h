#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// Folder trees on disk as plain values, so that a test can say "exactly these files with exactly these bytes".
namespace DiskTree {

// Every entry below root, hidden ones included: files map to their bytes, folders appear with a trailing "/" and
// links as "->" plus their target.
QMap<QString, QByteArray> snapshot(const QString& root);

bool writeFile(const QString& path, const QByteArray& content);
QByteArray readFile(const QString& path);

// Bytes that deflate well and bytes that do not, both the same on every run.
QByteArray text(qsizetype size, quint32 seed);
QByteArray noise(qsizetype size, quint32 seed);

} // namespace DiskTree
