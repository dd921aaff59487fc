// What a user does to the exit window and its image buttons, as the tests do it: keys,
// clicks and a pointer resting on a button until its tooltip shows.
#pragma once

#include <windows.h>

#include <vector>

// The window's image buttons, in creation order.
std::vector<HWND> ImageButtons(HWND window);
HWND ButtonWithId(HWND window, LONG id);
// The tooltip windows of this thread; the exit window makes one when first needed.
std::vector<HWND> TooltipWindows();
// Rests the pointer on the button until its tip shows; true when it did. The tip's
// initial delay is cut short by its own timer message, so that no half second passes.
bool HoverUntilTheTipShows(HWND button);
// The same on the window's first image button; false for a window without one.
bool HoverFirstButton(HWND window);
// To the focused child of the window, or to the window when none has the focus.
void PressKey(HWND window, WPARAM key);
void ClickOn(HWND button);
