// The system's own window classes drawn by the ui room.
#pragma once

namespace platform::ui {

// Registers STATIC (text and icon), EDIT and BUTTON, and puts the input method into the key
// path. Safe to call again; the launcher calls it at start, dialogs before creating controls.
void RegisterSystemClasses();
void RegisterEditClass();
void RegisterButtonClass();

}  // namespace platform::ui
