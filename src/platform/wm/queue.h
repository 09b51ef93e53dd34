// The UI thread's queue as the other parts of the window manager see it.
#pragma once
#include <cstdint>
#include <optional>

#include "platform/wm/window.h"

namespace platform::wm {

// Binds the UI thread on first use and installs the virtual Sleep hook.
void EnsureUiThread();

// Input waiting in the posted queue is resolved to its window only when it is taken, so a
// capture or focus change made while handling earlier input applies to later input.
enum class RawInput { kNone, kMouse, kKey, kChar };
void PostRawInput(RawInput kind, const MSG& msg);
// Turns raw input into a window message: target, activation, double clicks. False drops it.
bool ResolveInput(RawInput kind, MSG* msg, bool commit);

// Modal loops (modal_loops.cpp): `target` when no modal loop runs or it belongs to the innermost
// one's window, else that window.
HWND ModalInputOwner(HWND target);

// Timers (timers.cpp): the earliest due timer matching the filter, rescheduled when taken.
bool TakeDueTimer(HWND filter, bool remove, MSG* out);
std::optional<uint64_t> NextTimerDue();

// Paint (paint.cpp): the first window, parents before children, with a pending update.
bool FindPaint(HWND filter, MSG* out);

// True when `hwnd` passes a GetMessage/PeekMessage window filter.
bool MatchesWindow(HWND filter, HWND hwnd);

// Calls the present hook if something was painted since it last ran.
void PresentIfPainted();

}  // namespace platform::wm
