#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Two texts compared line by line, as a person reads what changed in a file between two versions: the shortest
// list of lines removed and added that turns the earlier text into the later one.
namespace LineDiff {

struct Line
{
    enum class Kind { Same, Removed, Added };

    Kind kind = Kind::Same;
    QString text;
    int before = 0; // 1-based line number in the earlier text; 0 for an added line
    int after = 0;  // in the later text; 0 for a removed line
};

// Every line of both texts in reading order; within a change the removed lines come before the added ones.
QList<Line> compare(const QStringList& before, const QStringList& after);

// The lines of a file's bytes: UTF-8 when they are valid UTF-8 (a byte order mark dropped), otherwise the Chinese
// code page. Nothing for bytes that are no text (they hold a NUL byte). A last line break ends the last line.
std::optional<QStringList> linesOf(const QByteArray& bytes);

// The files compared line by line at most: a larger file is told, not shown.
constexpr qint64 kMaxBytes = 8 * 1024 * 1024;

} // namespace LineDiff
