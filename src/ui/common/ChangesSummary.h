#pragma once

#include "projects/PackageChanges.h"
#include "ui/common/Prompt.h"

#include <QString>

// How a comparison is told: the line of counts, the lists of paths, and what the questions of update back and
// 放弃 say under their text.
namespace ChangesSummary {

// "新增 3 个文件，修改 2 个，删除 1 个"
QString counts(const PackageChanges::Changes& changes);

// Each list under its heading, the paths as a person reads them; a very long list ends with how many more there
// are.
QString paths(const PackageChanges::Changes& changes);

// The line under the question of update back (updating) or 放弃, and the paths to unfold; `packed` for work that
// was packed but not stored (it has no working folder any more).
Prompt::Detail ofWork(const PackageChanges::Comparison& comparison, bool updating, bool packed);

} // namespace ChangesSummary
