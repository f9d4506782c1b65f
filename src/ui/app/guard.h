#pragma once

#include <functional>

class QWidget;

namespace vexil {

class Prompts;

// Runs a handler's body so that no exception reaches the event loop: Abandon ends it
// silently, Failure is reported through `prompts` over `parent`, and anything else is
// reported as an unexpected error rather than ending the program with the user's edits.
// Returns true when the body ran to its end.
bool Guarded(Prompts& prompts, QWidget* parent, const std::function<void()>& body);

// For code that has no prompts at hand (painting, models): swallows every exception and
// returns false, so that an entry that cannot be read is drawn empty instead of crashing.
bool Quietly(const std::function<void()>& body) noexcept;

} // namespace vexil
