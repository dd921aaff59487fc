// Where the formats the plug-in reads from outside keep their lengths, counts and sizes,
// for the mutator's interesting integers: PNG chunks, string table blocks and dialog
// templates. Every reader stops quietly where the bytes end or stop making sense.
#pragma once

#include "fuzz/engine/mutator.h"

#include <vector>

// Chunk lengths, and the picture's size, depth and colour type from its header.
std::vector<Field> PngFields(const Bytes& data);
// The length of each of a block's sixteen strings.
std::vector<Field> StringBlockFields(const Bytes& data);

struct DialogItemShape {
    size_t offset;
    size_t classOrdinal; // where a predefined class's number is, 0 for a class by name
};

// The parts of a standard or extended dialog template that a translator can get wrong.
struct DialogShape {
    bool extended = false;
    size_t countOffset = 0; // the number of controls
    std::vector<DialogItemShape> items;
    std::vector<Field> fields; // count, positions and sizes, styles, identifiers, classes
};

DialogShape ReadDialogShape(const Bytes& data);
