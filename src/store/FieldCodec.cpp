#include "FieldCodec.h"

#include <QDateTime>

#include <sqlite3.h>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// Local time as ISO text; milliseconds only when there are some, so the common case stays readable.
const QString kDateTimeFormat = u"yyyy-MM-ddTHH:mm:ss"_s;

std::optional<QVariant> integerInRange(qlonglong v)
{
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return std::nullopt;
    return QVariant(v);
}

std::optional<QVariant> encodeInteger(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Char:
        return integerInRange(value.toLongLong());
    case QMetaType::ULongLong: {
        const qulonglong v = value.toULongLong();
        if (v > qulonglong(std::numeric_limits<int>::max()))
            return std::nullopt;
        return QVariant(qlonglong(v));
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        const double v = value.toDouble();
        if (!std::isfinite(v) || std::fabs(v) > double(std::numeric_limits<int>::max()) + 1.0)
            return std::nullopt;
        return integerInRange(qRound64(v));
    }
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        if (text.isEmpty())
            return QVariant();
        bool ok = false;
        const qlonglong whole = text.toLongLong(&ok);
        if (ok)
            return integerInRange(whole);
        const double fraction = text.toDouble(&ok);
        if (!ok)
            return std::nullopt;
        return encodeInteger(QVariant(fraction));
    }
    default:
        return std::nullopt;
    }
}

std::optional<QVariant> encodeText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::QChar:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double: {
        const QString text = value.toString();
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    default:
        return std::nullopt;
    }
}

std::optional<QVariant> encodeDateTime(const QVariant& value)
{
    QDateTime dateTime;
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        dateTime = value.toDateTime();
        break;
    case QMetaType::QDate:
        dateTime = value.toDate().startOfDay();
        break;
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        if (text.isEmpty())
            return QVariant();
        dateTime = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (!dateTime.isValid())
            return std::nullopt;
        break;
    }
    default:
        return std::nullopt;
    }
    if (!dateTime.isValid())
        return QVariant();
    dateTime = dateTime.toLocalTime();
    const int year = dateTime.date().year();
    if (year < 1 || year > 9999)
        return std::nullopt;
    QString text = dateTime.toString(kDateTimeFormat);
    if (const int ms = dateTime.time().msec(); ms != 0)
        text += u'.' + QString::number(ms).rightJustified(3, u'0');
    return QVariant(text);
}

std::optional<QVariant> encodeBytes(const QVariant& value)
{
    if (value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    const QByteArray bytes = value.toByteArray();
    return bytes.isEmpty() ? QVariant() : QVariant(bytes);
}

// The stored form "yyyy-MM-ddTHH:mm:ss[.zzz]" read digit by digit: the general ISO parser is several times
// slower, which shows when a list of ten thousand projects reads its dates.
QDateTime parseStoredDateTime(const char* text, int size)
{
    const auto number = [text](int at, int digits) {
        int value = 0;
        for (int i = at; i < at + digits; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    if ((size != 19 && size != 23) || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || (size == 23 && text[19] != '.'))
        return QDateTime::fromString(QString::fromUtf8(text, size), Qt::ISODateWithMs);
    const QDate date(number(0, 4), number(5, 2), number(8, 2));
    const QTime time(number(11, 2), number(14, 2), number(17, 2), size == 23 ? number(20, 3) : 0);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}

QString columnText(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(statement, column));
}

} // namespace

namespace FieldCodec {

std::optional<QVariant> encode(FieldKind kind, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (kind) {
    case FieldKind::Text:
        return encodeText(value);
    case FieldKind::Integer:
        return encodeInteger(value);
    case FieldKind::DateTime:
        return encodeDateTime(value);
    case FieldKind::Bytes:
        return encodeBytes(value);
    }
    return std::nullopt;
}

void bind(sqlite3_stmt* statement, int index, const QVariant& stored)
{
    switch (stored.typeId()) {
    case QMetaType::QString: {
        const QByteArray utf8 = stored.toString().toUtf8();
        sqlite3_bind_text64(statement, index, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT,
                            SQLITE_UTF8);
        break;
    }
    case QMetaType::LongLong:
        sqlite3_bind_int64(statement, index, stored.toLongLong());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = stored.toByteArray();
        sqlite3_bind_blob64(statement, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
        break;
    }
    default:
        sqlite3_bind_null(statement, index);
        break;
    }
}

QVariant nullOf(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Text:
        return QVariant(QMetaType::fromType<QString>());
    case FieldKind::Integer:
        return QVariant(QMetaType::fromType<int>());
    case FieldKind::DateTime:
        return QVariant(QMetaType::fromType<QDateTime>());
    case FieldKind::Bytes:
        return QVariant(QMetaType::fromType<QByteArray>());
    }
    return {};
}

QVariant decode(FieldKind kind, sqlite3_stmt* statement, int column)
{
    if (sqlite3_column_type(statement, column) == SQLITE_NULL)
        return nullOf(kind);
    switch (kind) {
    case FieldKind::Text:
        return QVariant(columnText(statement, column));
    case FieldKind::Integer:
        return QVariant(int(sqlite3_column_int64(statement, column)));
    case FieldKind::DateTime: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        const QDateTime dateTime = parseStoredDateTime(text, sqlite3_column_bytes(statement, column));
        return dateTime.isValid() ? QVariant(dateTime) : nullOf(kind);
    }
    case FieldKind::Bytes: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(statement, column)));
    }
    }
    return {};
}

QString kindName(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Text:
        return u"text"_s;
    case FieldKind::Integer:
        return u"integer"_s;
    case FieldKind::DateTime:
        return u"datetime"_s;
    case FieldKind::Bytes:
        return u"bytes"_s;
    }
    return {};
}

std::optional<FieldKind> kindFromName(const QString& name)
{
    for (const FieldKind kind : {FieldKind::Text, FieldKind::Integer, FieldKind::DateTime, FieldKind::Bytes}) {
        if (kindName(kind) == name)
            return kind;
    }
    return std::nullopt;
}

} // namespace FieldCodec
