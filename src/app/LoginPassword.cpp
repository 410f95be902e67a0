#include "app/LoginPassword.h"

#include "store/RecordTable.h"
#include "store/TableSchemas.h"

namespace {

// Positioned on the first record; the later ones are never used.
bool openPasswordTable(RecordTable& table)
{
    return table.open(TableSchemas::passwordTablePath(), TableSchemas::passwordTableAccessPassword()) &&
           table.goFirst() && !table.pastLast();
}

} // namespace

bool checkLoginPassword(const QString& typed)
{
    // A table without a record must not let an empty password in.
    RecordTable table;
    if (!openPasswordTable(table))
        return false;
    const QVariant stored = table.readField(PasswordField::Password);
    return stored.isValid() && stored.toString() == typed;
}

std::optional<QString> readLoginPassword()
{
    RecordTable table;
    if (!table.open(TableSchemas::passwordTablePath(), TableSchemas::passwordTableAccessPassword()))
        return std::nullopt;
    table.goFirst();
    return table.readField(PasswordField::Password).toString();
}

bool writeLoginPassword(const QString& password)
{
    RecordTable table;
    return openPasswordTable(table) && table.writeField(PasswordField::Password, password);
}
