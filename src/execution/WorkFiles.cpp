#include "execution/WorkFiles.h"

#include "archive/NativeFs.h"
#include "execution/ExecutionPaths.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace WorkFiles {

namespace {

// Files looked at below the folder at most: a tree of a million files is opened through its folder.
constexpr qsizetype kMostLookedAt = 20000;

} // namespace

bool createFolder(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || info.exists() || info.isSymLink())
        return false;
    return QDir().mkdir(path);
}

bool writeEmptyFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
}

namespace {

// Compares names as a file manager orders them: runs of digits by their value ("file2" before "file10"), the
// rest as the user's language sorts it, letter case aside. A collator of the C locale would only compare code
// points, so the runs are told apart here.
int fileManagerOrder(const QString& a, const QString& b)
{
    static const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        const bool digits = isDigit(a.at(i));
        if (digits != isDigit(b.at(j)))
            return digits ? -1 : 1; // a number sorts before a letter, as in the file managers
        qsizetype endA = i;
        qsizetype endB = j;
        while (endA < a.size() && isDigit(a.at(endA)) == digits)
            ++endA;
        while (endB < b.size() && isDigit(b.at(endB)) == digits)
            ++endB;
        QStringView runA = QStringView(a).sliced(i, endA - i);
        QStringView runB = QStringView(b).sliced(j, endB - j);
        int order = 0;
        if (digits) {
            while (runA.size() > 1 && runA.front() == u'0')
                runA = runA.sliced(1);
            while (runB.size() > 1 && runB.front() == u'0')
                runB = runB.sliced(1);
            order = runA.size() != runB.size() ? (runA.size() < runB.size() ? -1 : 1) : runA.compare(runB);
        } else {
            order = collator.compare(runA.toString().toCaseFolded(), runB.toString().toCaseFolded());
        }
        if (order != 0)
            return order;
        i = endA;
        j = endB;
    }
    return (a.size() - i) < (b.size() - j) ? -1 : ((a.size() - i) > (b.size() - j) ? 1 : 0);
}

struct Listing
{
    QStringList files;
    QStringList folders;
};

// A folder's files and sub-folders, each sorted as a file manager sorts them. A link is followed only to a file
// (a name the system spells as UTF-8), never into a folder: a link can lead in a circle.
Listing listingOf(const QString& folder, bool withHidden)
{
    Listing listing;
    const std::optional<QStringList> names = NativeFs::listFolder(folder);
    if (!names)
        return listing;
    for (const QString& name : *names) {
        if (!withHidden && name.startsWith(u'.'))
            continue;
        const QString path = folder + u'/' + name;
        switch (NativeFs::statusOf(path).kind) {
        case NativeFs::Kind::File:
            listing.files.append(name);
            break;
        case NativeFs::Kind::Folder:
            listing.folders.append(name);
            break;
        case NativeFs::Kind::Link:
            if (QFileInfo(path).isFile())
                listing.files.append(name);
            break;
        case NativeFs::Kind::Missing:
        case NativeFs::Kind::Other:
            break;
        }
    }
    const auto byName = [](const QString& a, const QString& b) {
        const int order = fileManagerOrder(NativeFs::readableName(a), NativeFs::readableName(b));
        return order != 0 ? order < 0 : a < b;
    };
    std::sort(listing.files.begin(), listing.files.end(), byName);
    std::sort(listing.folders.begin(), listing.folders.end(), byName);
    return listing;
}

} // namespace

QList<Offered> filesToOpen(const QString& workDir, qsizetype limit)
{
    QList<Offered> offered;
    const Listing top = listingOf(workDir, true);
    for (const QString& file : top.files) {
        if (file != ExecutionPaths::markerName() && offered.size() < limit)
            offered.append({file, NativeFs::readableName(file)});
    }
    if (!offered.isEmpty())
        return offered;
    // Level by level, so the files a project shows at its top come first.
    struct Group
    {
        QString path;
        Offered prefix;
        QStringList files;
    };
    QList<Group> groups;
    for (const QString& sub : top.folders) {
        if (!sub.startsWith(u'.'))
            groups.append({workDir + u'/' + sub, {sub + u'/', NativeFs::readableName(sub) + u'/'}, {}});
    }
    qsizetype found = 0;
    for (qsizetype next = 0; next < groups.size() && found < kMostLookedAt; ++next) {
        const Listing listing = listingOf(groups.at(next).path, false);
        groups[next].files = listing.files;
        found += listing.files.size();
        const Group folder = groups.at(next);
        for (const QString& sub : listing.folders)
            groups.append(
                {folder.path + u'/' + sub,
                 {folder.prefix.relativePath + sub + u'/', folder.prefix.shown + NativeFs::readableName(sub) + u'/'},
                 {}});
    }
    // When there are more than the list holds, every folder gets the same share, so one bulky folder (assets, a
    // build tree) cannot crowd out the sources beside it.
    qsizetype share = 0;
    const auto taken = [&groups](qsizetype each) {
        qsizetype total = 0;
        for (const Group& group : groups)
            total += std::min(group.files.size(), each);
        return total;
    };
    for (qsizetype low = 0, high = found; low <= high;) {
        const qsizetype middle = (low + high) / 2;
        if (taken(middle) <= limit) {
            share = middle;
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    for (const Group& group : std::as_const(groups)) {
        for (qsizetype i = 0; i < std::min(group.files.size(), share); ++i)
            offered.append({group.prefix.relativePath + group.files.at(i),
                            group.prefix.shown + NativeFs::readableName(group.files.at(i))});
    }
    return offered;
}

} // namespace WorkFiles
