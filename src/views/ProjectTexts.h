#pragma once

#include <QDateTime>
#include <QString>

// The three free texts of a project that the text page edits, and the details report it shows beside them.
namespace ProjectTexts {

enum Mode : int { DesignPlan = 0, BugReport = 1, UpgradeHistory = 2, Details = 3 };

// The project-table field a text mode edits; 0 for the details report, which edits none.
int fieldOf(Mode mode);

// What a project text read or save found.
enum class Outcome {
    Done,
    DatabaseError,  // the project table could not be opened or written
    ProjectMissing, // no record holds the project any more (it was deleted meanwhile)
};

struct Text
{
    Outcome outcome = Outcome::DatabaseError;
    QString number; // the project's number, which a later save checks the record against
    QString text;
};

// The text of one mode of record `recordNumber`.
Text read(int recordNumber, Mode mode);

// Writes the whole text into the mode's field. A record is only written while it still holds the project
// `number`: deleting an earlier project shifts the records down, and the text must not land in a neighbour.
// `recordNumber` follows the project when it has moved.
Outcome save(int& recordNumber, const QString& number, Mode mode, const QString& text);

// What "写到文件" writes: the text, three line breaks, a line of hyphens and the time of writing.
QString writeOutContent(const QString& text, const QDateTime& now);
// Writes the content in the Chinese code page (GB18030: characters outside GBK keep their four-byte codes),
// replacing the file only when the whole content is on disk.
bool writeOut(const QString& path, const QString& text, const QDateTime& now);

} // namespace ProjectTexts
