#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

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

// Archives that are sound but made elsewhere: ZIP64 end records, names in the Chinese code page without the
// UTF-8 flag (with "\\" separators, as packed on Chinese Windows), UTF-8 names with and without the flag. Each
// must unpack whole, to exactly `files`: relative paths with "/" separators, folders ending in one.
struct SoundCase
{
    const char* name;
    QByteArray bytes;
    QStringList files;
};

QList<SoundCase> foreignButSound();

} // namespace HostileArchives
