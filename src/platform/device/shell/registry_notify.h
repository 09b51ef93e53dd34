// Registry change notifications (RegistryNotifyWindow) are checked when the UI loop goes idle.
#pragma once

namespace platform::device {

// Posts the messages of every notification whose value was written since the last check.
// The idle poller calls this; so can a loop that wants changes picked up at once.
void PollRegistryNotifications();

}  // namespace platform::device
