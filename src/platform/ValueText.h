#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

// The one conversion of stored values into display text, used wherever a value is shown or written out.
namespace ValueText {

// 2026年12月7日9时30分5秒; a time of day of exactly 00:00:00 gives the date part alone.
QString dateTime(const QDateTime& value);
// 2026年12月7日
QString date(const QDate& value);
// 1205.63, 1.5, 2, -3
QString number(double value);
// Any stored value: text as it is, numbers and date-times as above, an empty or failed read as "".
QString of(const QVariant& value);

} // namespace ValueText
