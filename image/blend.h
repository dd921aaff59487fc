// The straight-alpha blend that Draw applies to each working row, kept free of GDI so
// that it can be tested and measured everywhere.
#pragma once

#include "image/imagetypes.h"

#include <cstddef>

// Blends `count` 24-bit pixels of `source` onto `target` with one opacity per pixel:
// 0 keeps the target, 255 takes the source, anything else gives
// (source * a + target * (255 - a)) / 256 per channel.
void BlendRow(BYTE* target, const BYTE* source, const BYTE* opacity, size_t count);
