#include "HostileArchives.h"

#include "ZipBuilder.h"

namespace HostileArchives {

QList<Case> all()
{
    constexpr quint32 kLink = 0120777;
    const auto first = [] { return ZipBuilder().addFile("main.e", "program text"); };
    ZipBuilder::Entry damaged{"lib.e", "library text"};
    damaged.wrongCrc = true;
    ZipBuilder::Entry locked{"lib.e", QByteArray(12, 'k') + "ciphertext"};
    locked.flags = ZipBuilder::kEncryptedFlag;
    const QByteArray whole = first().addFile("lib.e", QByteArray(4000, 'l')).bytes();

    return {
        {"climbs out with ../", first().addFile("../outside.e", "x").bytes()},
        {"climbs out with ..\\", first().addFile("..\\outside.e", "x").bytes()},
        {"absolute name", first().addFile("/tmp/tallyra-outside.e", "x").bytes()},
        {"drive letter", first().addFile("C:/outside.e", "x").bytes()},
        {"link leading outside", first().addUnix("up", "../../outside", kLink).bytes()},
        {"absolute link", first().addUnix("etc", "/etc", kLink).bytes()},
        {"entry written through a link", first().addUnix("lib", "sub", kLink).addFile("lib/x.e", "x").bytes()},
        {"duplicate names", first().addFile("main.e", "other text").bytes()},
        {"damaged entry", first().add(damaged).bytes()},
        {"encrypted entry", first().add(locked).bytes()},
        {"truncated", whole.left(whole.size() - 40)},
        {"not an archive", QByteArray(4096, 'z')},
    };
}

} // namespace HostileArchives
