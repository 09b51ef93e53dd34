// The system's own window classes drawn by the ui room.
#pragma once

namespace platform::ui {

// Registers STATIC (text and icon). Safe to call again; dialogs call it before creating controls.
void RegisterSystemClasses();

}  // namespace platform::ui
