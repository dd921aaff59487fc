// Puts the pointer on an image button of the exit window and shows its tooltip at once
// (the tooltip's initial-delay timer, 256, is sent instead of waited for), so that the
// button paints itself hot and the tooltip lays out and paints its text. True when the
// tooltip shows; a dialog without image buttons is left alone.
#pragma once

#include <windows.h>

bool HoverFirstButton(HWND dialog);
