#pragma once

#include <QString>

// Every section and key of Install.ini with the value an absent key stands for; no other key exists. Values
// are text: numbers as decimal digits, flags "1" for on, colours as the decimal value 0x00BBGGRR (red in the
// low byte).
namespace SettingsKeys {

struct Key
{
    const char16_t* section;
    const char16_t* key;
    const char16_t* fallback = u"";

    QString defaultValue() const { return QString::fromUtf16(fallback); }
    bool defaultFlag() const { return defaultValue() == u"1"; }
};

inline constexpr Key kTitle{u"System", u"Title"};                        // main window caption; absent = defaultTitle()
inline constexpr Key kImportOptional{u"System", u"Into", u"0"};          // "1": a new project needs no package file
inline constexpr Key kManualNumbering{u"System", u"Number", u"0"};       // "1": no generated project numbers
inline constexpr Key kBackground{u"System", u"Bag"};                     // background picture of the project list
inline constexpr Key kBackgroundOnce{u"System", u"Bag2", u"0"};          // "1": one copy bottom-left; otherwise tiled
inline constexpr Key kTextColour{u"System", u"Color1", u"0"};            // black
inline constexpr Key kTextBackColour{u"System", u"Color2", u"16777215"}; // white
inline constexpr Key kBackColour{u"System", u"Color3", u"16777215"};     // white
inline constexpr Key kExecutionDir{u"System", u"dir"};                   // absent: "run" beside the executable
inline constexpr Key kHistoryVersions{u"System", u"HistoryCount", u"10"};   // earlier packages kept per project
inline constexpr Key kHistoryMegabytes{u"System", u"HistorySize", u"2048"}; // all earlier packages together, in MiB
inline constexpr Key kNavigationPage{u"Install", u"Ts", u"0"};
inline constexpr Key kListArrangement{u"Install", u"TL", u"0"};     // 0 top-aligned, 1 left-aligned, 2 details
inline constexpr Key kListSortColumn{u"Install", u"TLSort", u"-1"}; // details view: column sorted by; -1 record order
inline constexpr Key kListSortOrder{u"Install", u"TLOrder", u"0"};  // 1: descending
inline constexpr Key kDeleteWithPackage{u"Install", u"Del", u"0"};
// The layout of this file; absent is 1. A later program that changes a key's meaning raises it, and an earlier one
// then neither reads nor writes the file.
inline constexpr Key kFormat{u"Install", u"Format", u"1"};

} // namespace SettingsKeys
