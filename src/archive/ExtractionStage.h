#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class QTemporaryDir;

// Entries are first written into a hidden folder inside the target, where a CRC error found at the end of the
// last entry costs nothing; only when every entry read clean are they moved into place, and that move can be
// undone. The target ends up either complete or as it was before.
class ExtractionStage
{
public:
    explicit ExtractionStage(const QString& targetDir);
    ~ExtractionStage();

    ExtractionStage(const ExtractionStage&) = delete;
    ExtractionStage& operator=(const ExtractionStage&) = delete;

    // Creates the target when missing, and the hidden folder.
    bool open();

    // Where an entry is written before it is moved; its parent folders exist once this returns a path.
    QString prepareFile(const QString& relativePath);

    // Moves the staged files into place and creates the folders; on failure puts everything back.
    bool commit(const QStringList& folders, const QStringList& files);

private:
    bool makeFolders(const QString& relativePath);
    void undo();

    QString m_targetDir;
    std::unique_ptr<QTemporaryDir> m_stage;
    QString m_createdTop; // the outermost folder open() created, empty when the target existed
    bool m_committed = false;

    struct Move
    {
        QString placed;
        QString replacedCopy; // where the file it replaced was kept, empty when there was none
    };
    QList<Move> m_moves;
    QStringList m_createdFolders;
};
