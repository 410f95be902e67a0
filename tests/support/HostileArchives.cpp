#include "HostileArchives.h"

#include "ZipBuilder.h"
#include "platform/TextCodec.h"

using namespace Qt::StringLiterals;

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

QList<SoundCase> foreignButSound()
{
    const auto first = [] { return ZipBuilder().addFile("main.e", "program text"); };
    ZipBuilder::Entry flagged{u"资料/说明.txt"_s.toUtf8(), "notes", ZipBuilder::kDeflated, ZipBuilder::kUtf8Flag};
    const QStringList chinese{u"main.e"_s, u"资料/"_s, u"资料/说明.txt"_s};

    return {
        {"ZIP64 end records",
         first().addFile("lib/util.e", "helper").useZip64End().bytes(),
         {u"lib/"_s, u"lib/util.e"_s, u"main.e"_s}},
        {"GBK names without the flag", first().addFile(TextCodec::encode(u"资料\\说明.txt"_s), "notes").bytes(),
         chinese},
        {"UTF-8 names with the flag", first().add(flagged).bytes(), chinese},
        {"UTF-8 names without the flag", first().addFile(u"资料/说明.txt"_s.toUtf8(), "notes").bytes(), chinese},
    };
}

} // namespace HostileArchives
