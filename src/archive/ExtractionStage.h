#pragma once

#include "archive/ZipEntryPlan.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QTemporaryDir;

// Entries are first written into a hidden folder inside the target, where a CRC error found at the end of the
// last entry costs nothing; only when every entry read clean are they moved into place, and that move can be
// undone. The target ends up either complete or as it was before.
//
// A folder the target does not have yet is built whole in the stage and moved with one rename; only entries
// that go into folders the target already has are moved one by one. Each folder is looked at and created once.
class ExtractionStage
{
public:
    ExtractionStage(const QString& targetDir, const QList<PlannedEntry>& entries);
    ~ExtractionStage();

    ExtractionStage(const ExtractionStage&) = delete;
    ExtractionStage& operator=(const ExtractionStage&) = delete;

    // Looks at what the target holds where the entries go, without writing: false when a file stands where a
    // folder must go, a folder where a file must go, or a link on the way (writing through it could reach anywhere).
    bool survey();

    // Creates the target when missing, and the hidden folder.
    bool open();

    // Where the entry with this position is written before it is moved; its folders exist once this returns a path.
    QString stagedPath(qsizetype entry);

    // Moves everything into place; on failure puts everything back.
    bool commit();

private:
    struct Folder
    {
        bool inTarget = false; // the target has it already; otherwise it is new and moves whole
        bool staged = false;
        int mode = -1;
        std::optional<qint64> modified;
    };
    struct Move
    {
        QString placed;
        QString staged;
        QString replacedCopy; // where the file it replaced was kept, empty when there was none
    };

    bool noteFolder(const QString& relativePath);
    bool stageFolder(const QString& relativePath);
    void undo();

    QString m_targetDir;
    const QList<PlannedEntry>& m_entries;
    bool m_targetExisted = false;
    QHash<QString, Folder> m_folders; // "" is the target itself
    QStringList m_newTops;            // new folders inside folders the target has
    QList<bool> m_replaces;           // per entry: something is at its place in the target now
    std::unique_ptr<QTemporaryDir> m_stage;
    QString m_newRoot;
    QString m_oldRoot;
    QString m_createdTop; // the outermost folder open() created, empty when the target existed
    bool m_committed = false;
    QList<Move> m_moves;
};
