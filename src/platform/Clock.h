#pragma once

#include <QDateTime>

#include <functional>

// The current local date and time. Tests fix it, so automatic numbers and "now" stamps are predictable.
namespace Clock {

QDateTime now();
void setOverride(std::function<QDateTime()> source); // an empty function returns to the real clock

} // namespace Clock
