// Single instance across programs: each running program serves its top-level windows through
// a socket DIR/run/instance-<pid>.sock. The server thread only reads and checks requests; the UI
// thread runs them (from an idle poller), so windows are touched on their own thread only.
// FindWindowW, SendMessageW, ShowWindow and SetForegroundWindow on another program's window
// go through the platform::wm::RemoteWindows registered here.
#pragma once
#include <cstdint>
#include <filesystem>

namespace platform::device {

// Call on the UI thread once the device root is set. False if the socket cannot be made
// (the program then runs without being found by a second launch).
bool StartInstanceServer();
// Stops serving and removes the socket; remote-window calls still work.
void StopInstanceServer();
bool InstanceServerRunning();
std::filesystem::path InstanceSocketPath();  // this program's socket

// How long the server waits for a slow peer's frame and for the UI thread to answer, and how
// long a caller waits for a peer's reply. Defaults: 2000, 4000, 5000 ms.
void SetInstanceTimeouts(uint32_t peerMs, uint32_t uiMs, uint32_t replyMs);

// Runs the requests other programs sent. The idle poller calls it; a loop that must answer
// while busy (automation's command wait) may call it too. UI thread only.
void ServeInstanceRequests();

// Registers the remote-window implementation with the window manager (StartInstanceServer does).
void InstallRemoteWindows();

}  // namespace platform::device
