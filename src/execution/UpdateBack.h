#pragma once

#include <functional>

class QWidget;
class WorkLine;

// Update back: packs one project's work into the catalogue again, after the user has confirmed it.
namespace UpdateBack {

// Runs every step after the question. `removeLine` takes the line off the panel; it is called once the work
// has been taken (or could not be, and the message has told the user where it lies). Answers true when the
// stored package was replaced and the record stamped, so the project list should be reloaded.
//
// The new package is complete and synced before the working folder goes, and it is deleted only once the
// stored package has been replaced by it: whatever fails, the work survives in one of the two places.
bool run(const WorkLine& line, QWidget* parent, const std::function<void()>& removeLine);

} // namespace UpdateBack
