#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

// Moving a checked, staged backup into the data folder so that a kill at any moment can be finished or
// undone at the next start. Before the first move the plan is written, synced, to a journal beside the data
// folder; the journal is removed only when every file is in place and synced. What the move replaces goes to
// its own undo folder, together with any journal SQLite keeps beside it.
//
// All the folders lie on the disk of the data folder, so every move is a rename.
class RestoreTransaction
{
public:
    struct Places
    {
        QString data;    // the real data folder (a link to it resolved)
        QString stage;   // the checked backup, unpacked
        QString undo;    // where the replaced files go, inside the undo root
        QString journal; // the journal file
    };

    // The plan for moving everything in places.stage into places.data that the data folder does not hold with the
    // same bytes already.
    static RestoreTransaction planned(const Places& places);
    // The plan an interrupted restore left in its journal; isValid() is false when there is none that can be read.
    static RestoreTransaction fromJournal(const Places& places);

    // Called before every rename; tests end the process there, or act as if, to cut a restore off.
    static void setBeforeEachMove(std::function<void()> hook);

    bool isValid() const { return m_valid; }
    const Places& places() const { return m_places; }

    bool writeJournal() const;
    // Moves what is not yet in place (so it also finishes a move that was cut off) and syncs the folders.
    bool moveIn();
    // Puts back everything a move did, as far as it got.
    bool moveBack();
    // Ends the transaction: the journal goes and what is left of the stage with it.
    bool close();

private:
    static bool move(const QString& from, const QString& to);
    bool keep(const QString& relative);
    // Whether a file of the stage has reached the data folder, judged by what is where.
    bool placed(const QString& file) const;
    void syncTouched() const;

    Places m_places;
    QStringList m_folders;    // below the stage, parents first
    QStringList m_newFolders; // those the data folder did not have as a folder
    QStringList m_files;
    QSet<QString> m_replaced; // those of m_files the data folder held before
    bool m_valid = false;
};
