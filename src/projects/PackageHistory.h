#pragma once

#include <QString>

// The earlier packages of each project, kept in the data folder (so a backup carries them) whenever a stored
// package is about to be replaced, so no command of the program destroys the only copy of earlier work.
namespace PackageHistory {

// Why a package was replaced; the history window shows the label.
enum class Cause {
    Update,     // 更新项目 with a new package
    UpdateBack, // 更新回
    Restore,    // 导入 of a backup
    Revert,     // 恢复此版本: the package that was current then
    Undelete,   // 还原 from the trash over a package that lay in the data folder
};
QString label(Cause cause);

// Keeps the project's stored package as its newest version before something replaces it. Nothing is kept when
// there is no stored package, or when it has the same bytes as `replacement` (when given) or as the newest
// version already kept. False only when a stored package could not be kept: the caller must then not replace
// it. Afterwards the oldest versions beyond the limits of the settings go.
bool keepCurrent(const QString& number, Cause cause, const QString& replacement = {});

} // namespace PackageHistory
