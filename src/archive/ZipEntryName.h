#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Entry names as they come out of an archive: bytes in whatever code page the packing tool used, separators and
// components chosen by whoever made the file.
namespace ZipEntryName {

// How names without the UTF-8 flag are read. Decided once per archive, because a short GBK name can happen to
// be valid UTF-8 while its neighbours are not.
enum class LegacyEncoding { Utf8, Gb18030, Cp437 };

LegacyEncoding chooseLegacyEncoding(const QList<QByteArray>& unflaggedNames);

QString decode(const QByteArray& raw, LegacyEncoding encoding);
QString decodeUtf8(const QByteArray& raw);

// The path below the target with "/" separators, or nothing when the name is empty or could land outside the
// target: absolute, with a drive letter, with a ".." component (backslashes count as separators).
std::optional<QString> safeRelativePath(const QString& name);

} // namespace ZipEntryName
