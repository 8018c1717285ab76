#pragma once

#include <chrono>
#include <functional>

namespace slm::test {

// Runs the Qt event loop until `done` holds or `timeout` passes.
// Returns whether `done` held.
bool processEventsUntil(const std::function<bool()>& done,
                        std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));

// Runs the event loop for `duration`, whatever happens.
void processEventsFor(std::chrono::milliseconds duration);

// Lets every event already posted run (one or more main-loop turns).
void drainPostedEvents();

} // namespace slm::test
