// The UI thread's loop as other rooms see it: pollers, waking, pumping, the virtual clock.
#pragma once
#include <cstdint>
#include <functional>

#include "windef.h"

namespace platform::wm {

// Called on the UI thread whenever the queue is empty, before the loop blocks (also inside
// modal loops). Pollers post messages for work that came from outside the thread. A poller is
// not called again from a loop it started itself unless `nested` (automation answers inside
// modal loops that its own commands opened).
void AddIdlePoller(std::function<void()> poller, bool nested = false);
// Ends the UI thread's blocking wait; callable from any thread.
void Wake();
// Called after paints once the queue is empty, so a display can show the screen.
void SetPresentHook(std::function<void()> hook);

// True when nothing is queued for the UI thread: no sent, posted or input messages, no pending
// paint, no due timer.
bool IsIdle();
// Dispatches messages (running pollers) until IsIdle(); never blocks. Returns false if a
// WM_QUIT was taken (it is left for the loop to see again).
bool PumpUntilIdle();
// Runs the messages other threads have sent to the UI thread, as GetMessageW does; for UI-thread
// code that waits on something else (a call to another process). True if there was one.
bool ProcessSentMessages();
// Virtual clock: moves forward `ms` milliseconds, stopping at each timer that falls due on the
// way and pumping until idle there, so timers run in order at their own times.
void AdvanceClock(uint32_t ms);

// Modal loops of the system UI (message box, popup menu, dialog), innermost last. While one
// runs, input belongs to its window: taps reach only that window and the windows it owns, and
// keys go to it when the focus is somewhere else.
void EnterModal(HWND window);
void LeaveModal(HWND window);
int ModalDepth();

// The thread that owns the windows (the first thread that created one, or that called this).
void BindUiThread();
bool OnUiThread();

}  // namespace platform::wm
