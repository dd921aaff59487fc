// Whether two pictures of one button would look the same to a person.
#pragma once

#include "host/screenimage.h"

// Alike when they are of one size and fewer than one pixel in a hundred (and fewer than
// four) differ by more than 16 in any colour: a change of state that small goes unseen.
bool LookAlike(const ScreenImage& one, const ScreenImage& other);
