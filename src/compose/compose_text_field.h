// The compose view's text field: the system's multi-line edit, taught to tell its parent when
// to recount, so the counter follows every character and the syllable being composed.
#pragma once
#include <windows.h>

namespace compose {

// Subclasses `edit` (a child of the compose view) and gives it `font`. The parent gets
// UM_RECOUNT with 2 while a syllable is being composed and 0 after every character.
void SubclassTextField(HWND edit, HFONT font);

// Switches the input method of `field` to Hangul or to Latin letters and raises the input panel.
void SwitchInputMode(HWND field, bool hangul);

}  // namespace compose
