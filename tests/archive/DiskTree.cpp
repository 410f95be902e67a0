#include "DiskTree.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace DiskTree {

QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> tree;
    const QDir rootDir(root);
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        const QString name = rootDir.relativeFilePath(info.filePath());
        if (info.isSymLink()) {
            tree.insert(name, "->" + QFile::encodeName(info.symLinkTarget()));
        } else if (info.isDir()) {
            tree.insert(name + u'/', {});
        } else {
            tree.insert(name, readFile(info.filePath()));
        }
    }
    return tree;
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray text(qsizetype size, quint32 seed)
{
    static const QList<QByteArray> words{"int ", "return ", "count",   " = ",  "0;\n",    "if (",   ") {\n",
                                         "}\n",  "项目",    "名称",    "for ", "value",   "->next", "(void)",
                                         "// ",  "说明\n",  "QString", " + ",  "nullptr", "\n    "};
    QRandomGenerator random(seed);
    QByteArray out;
    out.reserve(size + 16);
    while (out.size() < size) {
        out += words.at(random.bounded(qsizetype(words.size())));
    }
    out.truncate(size);
    return out;
}

QByteArray noise(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray out(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        out[i] = char(random.bounded(256));
    }
    return out;
}

} // namespace DiskTree
