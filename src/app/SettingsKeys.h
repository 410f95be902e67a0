#pragma once

#include <QString>

// Every section and key of Install.ini; no other exists. Values are text: numbers as decimal digits, flags
// "1" for on, colours as the decimal value 0x00BBGGRR (red in the low byte).
namespace SettingsKeys {

struct Key
{
    const char16_t* section;
    const char16_t* key;
};

inline constexpr Key kTitle{u"System", u"Title"};            // main window caption; absent = the default title
inline constexpr Key kImportOptional{u"System", u"Into"};    // "1": a new project needs no package file
inline constexpr Key kManualNumbering{u"System", u"Number"}; // "1": no generated project numbers
inline constexpr Key kBackground{u"System", u"Bag"};         // background picture of the project list
inline constexpr Key kBackgroundOnce{u"System", u"Bag2"};    // "1": one copy bottom-left; otherwise tiled
inline constexpr Key kTextColour{u"System", u"Color1"};
inline constexpr Key kTextBackColour{u"System", u"Color2"};
inline constexpr Key kBackColour{u"System", u"Color3"};
inline constexpr Key kExecutionDir{u"System", u"dir"};
inline constexpr Key kNavigationPage{u"Install", u"Ts"};
inline constexpr Key kListArrangement{u"Install", u"TL"};
inline constexpr Key kDeleteWithPackage{u"Install", u"Del"};

inline constexpr char16_t kWhite[] = u"16777215";

} // namespace SettingsKeys
