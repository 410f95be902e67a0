#pragma once

#include <QString>

// 详细信息: a read-only summary of one project: its fields, its type's name and the size of its package.
namespace DetailsReport {

// The report of project record `recordNumber`, lines separated by CR LF and starting with a line break.
QString build(int recordNumber);

// A size in the largest fitting unit: "512字节", "12.5KB", "1.2MB".
QString sizeText(qint64 bytes);

// "文件尺寸：" + the size in the largest fitting unit + " (" + the exact byte count with thousands
// separators + ")".
QString sizeLine(qint64 bytes);

// Sixty-six hyphens: the rule between the parts of the report and before a write-out's time stamp.
QString rule();

} // namespace DetailsReport
