// Several named files in one fuzzing input, so that one input (and one kept regression
// file) holds a whole skin folder or a language module's resources. Each entry is a
// name of up to 255 bytes behind its length byte, then its data behind a 32-bit
// little-endian length. Reading never fails: a length that claims more than is left
// takes what is left, which keeps truncated and mutated inputs meaningful.
#pragma once

#include "fuzz/engine/mutator.h"

#include <string>
#include <vector>

struct BundleEntry {
    std::string name;
    Bytes data;
    size_t dataOffset = 0; // where the data starts in the bundle
};

std::vector<BundleEntry> ReadBundle(const Bytes& bundle);
void AppendToBundle(Bytes& bundle, const std::string& name, const Bytes& data);
using EntryFields = std::function<std::vector<Field>(const BundleEntry&)>;

// The length fields of the entries, and the fields inside each entry's data that
// `inner` finds (offsets relative to the data).
std::vector<Field> BundleFields(const Bytes& bundle, const EntryFields& inner);

// Mostly one entry's data alone, spliced with the entries of the others, and the bundle
// written again with true lengths; otherwise the bundle's bytes as a whole, lengths
// included.
Bytes MutateBundle(CMutator& mutator, const Bytes& bundle, const std::vector<Bytes>& others,
                   const EntryFields& inner);
