#include "archive/ExtractionStage.h"

#include "archive/DurableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

bool existsOrDangles(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

ExtractionStage::ExtractionStage(const QString& targetDir)
    : m_targetDir(QDir::cleanPath(QFileInfo(targetDir).absoluteFilePath()))
{
}

ExtractionStage::~ExtractionStage()
{
    m_stage.reset();
    if (!m_committed && !m_createdTop.isEmpty()) {
        QDir(m_createdTop).removeRecursively();
    }
}

bool ExtractionStage::open()
{
    if (!QFileInfo(m_targetDir).isDir()) {
        // Remember the outermost folder that did not exist, so that a failure leaves the parents as they were.
        QString top = m_targetDir;
        for (QFileInfo parent(QFileInfo(top).absolutePath()); !parent.exists() && !parent.isRoot();
             parent.setFile(parent.absolutePath())) {
            top = parent.absoluteFilePath();
        }
        if (!QDir().mkpath(m_targetDir)) {
            QDir(top).removeRecursively();
            return false;
        }
        m_createdTop = top;
    }
    m_stage = std::make_unique<QTemporaryDir>(m_targetDir + u"/.tallyra-extract-XXXXXX"_s);
    return m_stage->isValid() && QDir().mkdir(m_stage->filePath(u"new"_s)) && QDir().mkdir(m_stage->filePath(u"old"_s));
}

QString ExtractionStage::prepareFile(const QString& relativePath)
{
    const QString path = m_stage->filePath(u"new/"_s + relativePath);
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return {};
    }
    return path;
}

bool ExtractionStage::makeFolders(const QString& relativePath)
{
    QString path = m_targetDir;
    const QStringList parts = relativePath.split(u'/');
    for (const QString& part : parts) {
        path += u'/' + part;
        const QFileInfo info(path);
        if (info.isDir() && !info.isSymLink()) {
            continue;
        }
        if (existsOrDangles(path) || !QDir().mkdir(path)) {
            return false;
        }
        m_createdFolders.append(path);
    }
    return true;
}

bool ExtractionStage::commit(const QStringList& folders, const QStringList& files)
{
    for (const QString& folder : folders) {
        if (!makeFolders(folder)) {
            undo();
            return false;
        }
    }
    for (const QString& file : files) {
        const qsizetype slash = file.lastIndexOf(u'/');
        if (slash > 0 && !makeFolders(file.left(slash))) {
            undo();
            return false;
        }
        const QString placed = m_targetDir + u'/' + file;
        Move move{placed, {}};
        if (existsOrDangles(placed)) {
            move.replacedCopy = m_stage->filePath(u"old/"_s + QString::number(m_moves.size()));
            if (!DurableFile::replace(placed, move.replacedCopy)) {
                undo();
                return false;
            }
        }
        m_moves.append(move);
        if (!DurableFile::replace(m_stage->filePath(u"new/"_s + file), placed)) {
            undo();
            return false;
        }
    }
    m_committed = true;
    return true;
}

void ExtractionStage::undo()
{
    for (auto move = m_moves.crbegin(); move != m_moves.crend(); ++move) {
        QFile::remove(move->placed);
        if (!move->replacedCopy.isEmpty()) {
            DurableFile::replace(move->replacedCopy, move->placed);
        }
    }
    m_moves.clear();
    for (auto folder = m_createdFolders.crbegin(); folder != m_createdFolders.crend(); ++folder) {
        QDir().rmdir(*folder);
    }
    m_createdFolders.clear();
}
