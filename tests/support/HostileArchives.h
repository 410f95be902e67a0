#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Archives that must be refused whole, with nothing written anywhere: made in code by ZipBuilder, each with a
// harmless first entry so that a refusal after the first write would show. Used for every command that
// unpacks an archive somebody else made (execute, restore).
namespace HostileArchives {

struct Case
{
    const char* name;
    QByteArray bytes;
};

QList<Case> all();

} // namespace HostileArchives
