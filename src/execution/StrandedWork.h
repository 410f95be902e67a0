#pragma once

#include <QStringList>

// Work left by an earlier run of the program. The panel's list is not kept across a restart, so without this
// scan such work could be neither updated back nor abandoned.
namespace StrandedWork {

// The list lines of all such work, after removing what an update back that was killed left half made (a partly
// written package beside data/, a working folder moved aside to be deleted):
// - every working folder directly below the execution directory that is named after a catalogue project and
//   still holds its work: an unpacked ZIP package (its marker is there, or it lost its marker but is not empty)
//   or the copied single-file package (number + "." + type), in folder-name order;
// - then every complete package an update back made beside data/ but did not store, in name order.
QStringList findLines();

} // namespace StrandedWork
