#pragma once

#include <QString>

// Deflating a JPEG or a ZIP again costs time and gains nothing, so such entries are stored as they are.
namespace CompressionChoice {

// Known compressed formats by extension; for other large files a sample from the middle decides.
bool isAlreadyCompressed(const QString& path, qint64 size);

} // namespace CompressionChoice
