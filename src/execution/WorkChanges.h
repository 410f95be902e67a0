#pragma once

#include "projects/PackageChanges.h"

class WorkLine;

// What the work of one line of the panel changed against the project's stored package: the working folder of a
// ZIP package, the worked file of a single-file package, or a package packed but not stored. Update back and 放弃
// show it before they ask, and update back stores nothing new for work that changed nothing.
namespace WorkChanges {

PackageChanges::Comparison of(const WorkLine& line, const PackageChanges::Progress& progress = {},
                              PackageChanges::Check check = PackageChanges::Check::SizeAndTime);

} // namespace WorkChanges
