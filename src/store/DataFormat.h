#pragma once

#include <QString>

// Brings the tables of a data folder (data/ itself, or a backup unpacked beside it) to the fields this program
// gives them, so a catalogue made before a field was added opens with that field empty in every record.
namespace DataFormat {

enum class Outcome {
    Current,  // every table already had this program's fields
    Upgraded, // older tables got the fields they lacked
    Newer,    // a table comes from a later program; nothing was changed
    Failed,   // an older table could not be brought up to date; the ones before it may have been
};

// Every table is looked at before any is changed, so a folder holding one table of a later program is left as it
// was. Each older table then gets its missing fields in its own transaction: a kill leaves each one whole, old or
// new, and the next call finishes the rest. Missing tables and files that are no table of ours are passed over:
// whoever opens them finds them so.
Outcome upgrade(const QString& folder);

} // namespace DataFormat
