#pragma once

#include "store/DataFormat.h"

class InstanceLock;

// The steps of a run after the application object exists, shared by main() and the tests that run them in a
// process of their own.
namespace ProgramRun {

// Whether this run may go on in its installation folder: false, after the warning "程序已经在运行！", when
// another run holds it. A folder that cannot be locked at all (read-only) does not stop the program.
bool mayRun(const InstanceLock& lock);

// Whether the data the start found may be shown: false, after an error, when it comes from a later program
// ("数据来自更新版本的程序，无法打开！") or could not be brought up to date
// ("数据升级失败！请关闭程序后检查数据目录！").
bool mayOpenData(DataFormat::Outcome data);

// Makes and shows the main window and runs the message loop until the main window closes; answers the exit
// code. The loop ends with the main window even while work is listed in the executed-projects panel: the work
// stays on disk and is listed again at the next start.
int runMainWindow();

} // namespace ProgramRun
