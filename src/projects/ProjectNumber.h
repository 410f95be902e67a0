#pragma once

#include <QDateTime>
#include <QString>

// Automatic project numbers: two digits each of year, month, day, "_", hour, minute, second
// (261207_093005 for 7 December 2026, 09:30:05). Two numbers made within one second are equal.
namespace ProjectNumber {
QString generate(const QDateTime& at);

// Whether a new project may take this number. The number names its package file (number + ".fd1"), its
// working folder and, in a backup, an archive entry that may be restored on Windows or on Linux, so it must
// be one valid file name on both: none of \ / : * ? " < > |, no control character, no trailing dot or blank,
// no device name of Windows (CON, NUL, COM1, ...), and short enough for both with the ".fd1" after it.
bool isValid(const QString& number);
} // namespace ProjectNumber
