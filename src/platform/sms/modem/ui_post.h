// Work that another thread hands to the UI thread: queued here and run by an idle poller of the
// UI loop, which Wake() stirs. The store is written only on the UI thread, as the program's own
// writes are, so the program learns of a received message through its usual change notification.
#pragma once
#include <functional>

namespace platform::sms {

// Call once on the UI thread before anything is posted.
void StartUiPosts();
// Callable from any thread; the job runs on the UI thread the next time its loop is idle.
void PostToUi(std::function<void()> job);

}  // namespace platform::sms
