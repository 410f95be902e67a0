#pragma once

#include <functional>

// The steps of the commands that move projects and packages between the catalogue, the package history and the
// trash. Each command calls next() before every step that changes a file or a table; a test hooks in there to end
// the command at any step of its real sequence and then checks what the next start makes of it.
namespace WriteSteps {

void next();
void setBeforeEach(std::function<void()> hook);

} // namespace WriteSteps
