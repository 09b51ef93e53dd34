// The Hangul composer: libhangul's two-set automaton fed by the key path, reporting to the window
// it composes for with WM_IME_STARTCOMPOSITION, WM_IME_COMPOSITION, WM_IME_ENDCOMPOSITION and
// WM_CHAR for each committed character, in that order. One composition exists at a time.
#pragma once
#include <string>

#include "windows.h"

namespace platform::ui {

// TranslateMessage's hook: true when the key was taken.
bool ComposeKey(const MSG& keyDown);
// Commits (CPS_COMPLETE) or drops (CPS_CANCEL) the composition, if `hwnd` has one.
void CompleteComposition(HWND hwnd);
void CancelComposition(HWND hwnd);
// What `hwnd` is composing now, and the last string committed to it.
std::u16string CompositionOf(HWND hwnd);
std::u16string ResultOf(HWND hwnd);

}  // namespace platform::ui
