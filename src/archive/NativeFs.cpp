#include "archive/NativeFs.h"

// The calls themselves are made once per system: NativeFsPosix.cpp and NativeFsWindows.cpp.
namespace NativeFs {

bool removeTree(const QString& path)
{
    const Status status = statusOf(path);
    if (status.kind != Kind::Folder) {
        return status.kind != Kind::Missing && removeFile(path);
    }
    const std::optional<QStringList> names = listFolder(path);
    bool removed = names.has_value();
    for (const QString& name : names.value_or(QStringList())) {
        removed = removeTree(path + u'/' + name) && removed;
    }
    return removeFolder(path) && removed;
}

} // namespace NativeFs
