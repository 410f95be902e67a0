#pragma once

#include <QString>

// Who made the program, as the about box and the status bar's tooltip show it.
namespace MakerInfo {

inline QString creditLine()
{
    return QStringLiteral("林默工作室 出品");
}

inline QString webAddress()
{
    return QStringLiteral("https://tallyra.example.cn");
}

inline QString version()
{
    return QStringLiteral("1.2");
}

} // namespace MakerInfo
