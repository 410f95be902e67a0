#pragma once

#include <QString>

// Who made the program, as the about box and the status bar's tooltip show it.
namespace MakerInfo {

inline QString creditLine()
{
    using namespace Qt::StringLiterals;
    return u"林默工作室 出品"_s;
}

inline QString webAddress()
{
    using namespace Qt::StringLiterals;
    return u"https://tallyra.example.cn"_s;
}

inline QString version()
{
    using namespace Qt::StringLiterals;
    return u"1.2"_s;
}

} // namespace MakerInfo
