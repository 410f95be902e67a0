#pragma once

#include <QStringList>

// Work left in the execution directory by an earlier run of the program. The panel's list is not kept
// across a restart, so without this scan such work could be neither updated back nor abandoned.
namespace StrandedWork {

// The list lines of every working folder directly below the execution directory that is named after a
// catalogue project and still holds its work: an unpacked ZIP package (its marker is there) or the copied
// single-file package (number + "." + type). In folder-name order.
QStringList findLines();

} // namespace StrandedWork
