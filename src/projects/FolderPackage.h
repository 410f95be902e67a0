#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// A folder named as a project's 文件包: a programmer's project is a folder. It is packed into a ZIP package as
// update back packs work, beside data/ under a name the start removes, and the rules store it from there as any
// chosen file; its package type is "zip".
class FolderPackage
{
public:
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    enum class Outcome {
        Packed,
        Changing,   // another program kept changing the folder while it was packed
        Unpackable, // it holds links out of it, pipes, sockets or devices, which no package carries back
        Failed,     // it could not be read, the package not written, or it is or holds the data folder
    };

    static bool isFolder(const QString& path);
    // The name of the package a folder becomes, the folder's own with ".zip": where the rules only take the
    // package type from a name (no package required), it says "zip".
    static QString packageName(const QString& folder);
    // What a packing a kill ended leaves beside data/, which the start removes.
    static QString leftoverPattern();

    // Packs the folder; the package is removed again with this object.
    FolderPackage(const QString& folder, const Progress& progress);
    ~FolderPackage();
    FolderPackage(const FolderPackage&) = delete;
    FolderPackage& operator=(const FolderPackage&) = delete;

    Outcome outcome() const { return m_outcome; }
    // The packed folder, a file whose name ends in ".zip"; empty unless Packed.
    QString package() const { return m_package; }
    QStringList unpackable() const { return m_unpackable; } // relative names, when Unpackable

private:
    Outcome m_outcome = Outcome::Failed;
    QString m_package;
    QStringList m_unpackable;
};
