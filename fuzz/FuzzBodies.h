#pragma once

#include <cstddef>
#include <cstdint>

// What each fuzz target does with one input. The libFuzzer programs call these, and so does the regression
// test, which runs every saved input through them in the ordinary build. A broken promise aborts.
namespace FuzzBodies {

// Install.ini: read every key, write one, read again: every other answer is unchanged and the written one
// reads back; writing the same file again changes no byte.
int settingsFile(const uint8_t* data, size_t size);

// A record table made of these bytes: open and scan every record and field; the file is never changed.
int recordTable(const uint8_t* data, size_t size);

// An archive made of these bytes, extracted into a folder: nothing appears outside the folder, and every link
// that appears inside leads to a place inside it.
int extractArchive(const uint8_t* data, size_t size);

// Entry names (one per line): a name judged safe is a relative path below the target.
int entryName(const uint8_t* data, size_t size);

} // namespace FuzzBodies
