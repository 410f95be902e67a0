#pragma once

// Why a case does not run on Windows, each reason in one place. Everything else of such a test program runs
// there; only what Windows does not have is left out, by QSKIP with one of these.
namespace WindowsSkips {

// std::filesystem cannot make them with MinGW, Windows allows them only to administrators or in developer mode,
// and Wine makes none; the program refuses archives with links there anyway.
constexpr const char* kLinks = "Windows makes links only for administrators or in developer mode (and Wine makes "
                               "none); an archive with links is refused whole there";
constexpr const char* kPipes = "Windows has no named pipes in the file system";
constexpr const char* kUnixModes = "Windows keeps no Unix modes: files are read-only or not, and no umask applies";
constexpr const char* kByteNames = "Windows file names are UTF-16 text, never bytes in no code page";
constexpr const char* kNoTextIndex = "The Windows build's SQLite has no FTS5: find reads every record there, and "
                                     "tst_finddrop checks what it finds";
constexpr const char* kLinuxTools = "Info-ZIP's zip and unzip and python3 are Linux programs; a Windows build has "
                                    "none to compare with";

} // namespace WindowsSkips
