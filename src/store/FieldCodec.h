#pragma once

#include "store/RecordTable.h"

#include <QVariant>

#include <optional>

struct sqlite3_stmt;

// How field values travel between QVariant and SQLite. An empty field is stored as NULL whatever its kind,
// so "empty" means one thing on disk; a value of the wrong kind is refused before anything is written.
namespace FieldCodec {

// The value as it is bound to SQLite: an invalid QVariant (NULL), a QString, a qlonglong or a QByteArray.
// std::nullopt when the value does not fit the field's kind.
std::optional<QVariant> encode(FieldKind kind, const QVariant& value);

void bind(sqlite3_stmt* statement, int index, const QVariant& stored);

// The column as a value of the field's kind; NULL gives the null value of that kind.
QVariant decode(FieldKind kind, sqlite3_stmt* statement, int column);

QVariant nullOf(FieldKind kind);

QString kindName(FieldKind kind);
std::optional<FieldKind> kindFromName(const QString& name);

} // namespace FieldCodec
