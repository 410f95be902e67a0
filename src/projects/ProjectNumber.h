#pragma once

#include <QDateTime>
#include <QString>

// Automatic project numbers: two digits each of year, month, day, "_", hour, minute, second
// (261207_093005 for 7 December 2026, 09:30:05). Two numbers made within one second are equal.
namespace ProjectNumber {
QString generate(const QDateTime& at);
}
