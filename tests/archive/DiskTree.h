#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// Folder trees on disk as plain values, so that a test can say "exactly these files with exactly these bytes".
namespace DiskTree {

// Every entry below root, hidden ones included: files map to their bytes, folders appear with a trailing "/" and
// links as "->" plus their target as stored.
QMap<QString, QByteArray> snapshot(const QString& root);

// What a round trip must keep of every entry below root, one readable line each: the kind, the permission bits,
// the modification time in whole seconds (files, links and folders listed in timedFolders), and the bytes
// (by checksum) or the link's target as stored. Compared line by line, a difference names the entry.
QMap<QString, QString> details(const QString& root, const QStringList& timedFolders = {});

bool writeFile(const QString& path, const QByteArray& content);
QByteArray readFile(const QString& path);

// Bytes that deflate well and bytes that do not, both the same on every run.
QByteArray text(qsizetype size, quint32 seed);
QByteArray noise(qsizetype size, quint32 seed);

} // namespace DiskTree
