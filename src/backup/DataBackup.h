#pragma once

#include <QString>

#include <functional>

// The whole data folder into one archive and back. The settings file lies beside the data folder, so neither
// direction touches it.
namespace DataBackup {

using Progress = std::function<bool(qint64 done, qint64 total)>;

// appDir + "/data-before-restore": the files the last restore replaced, kept so it can be undone by hand.
QString keptFolderPath();

// Packs the data folder into `archivePath`. Refused when the archive would lie inside the data folder, where
// the next backup would swallow it.
bool backUp(const QString& archivePath, const Progress& progress = {});

// Unpacks the archive into a staging folder beside the data folder and, only when every entry came out
// whole, moves the files into the data folder. The files it replaces go to keptFolderPath() (replacing
// the previous ones). Files the archive does not hold stay. On any failure the data folder is as it was.
bool restore(const QString& archivePath, const Progress& progress = {});

} // namespace DataBackup
