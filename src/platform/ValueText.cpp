#include "platform/ValueText.h"

#include <QMetaType>

#include <cmath>

using namespace Qt::StringLiterals;

namespace ValueText {

QString date(const QDate& value)
{
    if (!value.isValid())
        return {};
    return u"%1年%2月%3日"_s.arg(value.year()).arg(value.month()).arg(value.day());
}

QString dateTime(const QDateTime& value)
{
    if (!value.isValid())
        return {};
    const QTime t = value.time();
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0)
        return date(value.date());
    return date(value.date()) + u"%1时%2分%3秒"_s.arg(t.hour()).arg(t.minute()).arg(t.second());
}

QString number(double value)
{
    if (!std::isfinite(value))
        return {};
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qlonglong>(value));
    // Ten decimals hide the binary noise of sums such as 0.1 + 0.2; trailing zeros are dropped.
    QString text = QString::number(value, 'f', 10);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text == u"-0" ? u"0"_s : text;
}

QString of(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.metaType().id()) {
    case QMetaType::QDateTime:
        return dateTime(value.toDateTime());
    case QMetaType::QDate:
        return date(value.toDate());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return QString::number(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return number(value.toDouble());
    case QMetaType::QByteArray:
        return {};
    default:
        return value.toString();
    }
}

} // namespace ValueText
