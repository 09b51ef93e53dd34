// The one platform clock behind GetTickCount, GetLocalTime, Sleep and the timers.
// Real mode follows the machine; virtual mode starts at a given local time and moves only
// when told to (tests and automation), so nothing depends on the wall clock.
#pragma once
#include <cstdint>
#include <functional>

#include "windef.h"

namespace platform::clock {

void UseReal();
void UseVirtual(const SYSTEMTIME& start);
bool IsVirtual();

// Milliseconds since the clock started (the tick count).
uint64_t NowMs();
SYSTEMTIME LocalNow();
// Moves the virtual clock forward; does nothing in real mode.
void AdvanceTo(uint64_t ms);
void Advance(uint64_t ms);

// Sleep on the UI thread under the virtual clock calls this hook, which moves the clock and
// runs what fell due (the window manager installs it).
void SetVirtualSleepHook(std::function<void(uint32_t ms)> hook);
const std::function<void(uint32_t ms)>& VirtualSleepHook();

// "YYYY-MM-DD HH:MM:SS" to SYSTEMTIME; false for malformed or impossible dates.
bool ParseLocalTime(const char* text, SYSTEMTIME* out);
}  // namespace platform::clock
