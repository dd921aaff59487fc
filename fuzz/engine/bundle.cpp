#include "fuzz/engine/bundle.h"

#include <algorithm>

namespace {

constexpr size_t LENGTH_BYTES = 4;
constexpr size_t MAX_NAME = 255;

// Calls visit(entry, nameLengthOffset, dataLengthOffset) for each entry.
template <typename Visit> void Walk(const Bytes& bundle, Visit visit) {
    size_t at = 0;
    while (at < bundle.size()) {
        const size_t nameOffset = at++;
        const size_t nameLength = std::min<size_t>(bundle[nameOffset], bundle.size() - at);
        BundleEntry entry;
        entry.name.assign(bundle.begin() + at, bundle.begin() + at + nameLength);
        at += nameLength;
        const size_t lengthOffset = at;
        uint32_t claimed = 0;
        for (size_t i = 0; i < LENGTH_BYTES && at < bundle.size(); ++i)
            claimed |= static_cast<uint32_t>(bundle[at++]) << (8 * i);
        const size_t length = std::min<size_t>(claimed, bundle.size() - at);
        entry.dataOffset = at;
        entry.data.assign(bundle.begin() + at, bundle.begin() + at + length);
        at += length;
        visit(entry, nameOffset, lengthOffset);
    }
}

} // namespace

std::vector<BundleEntry> ReadBundle(const Bytes& bundle) {
    std::vector<BundleEntry> entries;
    Walk(bundle, [&](BundleEntry& entry, size_t, size_t) { entries.push_back(std::move(entry)); });
    return entries;
}

void AppendToBundle(Bytes& bundle, const std::string& name, const Bytes& data) {
    const size_t nameLength = std::min(name.size(), MAX_NAME);
    bundle.push_back(static_cast<uint8_t>(nameLength));
    bundle.insert(bundle.end(), name.begin(), name.begin() + nameLength);
    const uint32_t length = static_cast<uint32_t>(data.size());
    for (size_t i = 0; i < LENGTH_BYTES; ++i)
        bundle.push_back(static_cast<uint8_t>(length >> (8 * i)));
    bundle.insert(bundle.end(), data.begin(), data.end());
}

std::vector<Field> BundleFields(const Bytes& bundle, const EntryFields& inner) {
    std::vector<Field> fields;
    Walk(bundle, [&](const BundleEntry& entry, size_t nameOffset, size_t lengthOffset) {
        fields.push_back({nameOffset, 1});
        fields.push_back({lengthOffset, 4});
        if (!inner)
            return;
        for (Field field : inner(entry)) {
            field.offset += entry.dataOffset;
            fields.push_back(field);
        }
    });
    return fields;
}

Bytes MutateBundle(CMutator& mutator, const Bytes& bundle, const std::vector<Bytes>& others,
                   const EntryFields& inner) {
    std::vector<BundleEntry> entries = ReadBundle(bundle);
    CFuzzRandom& random = mutator.Random();
    if (entries.empty() || random.OneIn(4)) {
        return mutator.Mutate(bundle, others,
                              [&](const Bytes& data) { return BundleFields(data, inner); });
    }
    std::vector<Bytes> pieces;
    for (const Bytes& other : others) {
        for (BundleEntry& entry : ReadBundle(other))
            pieces.push_back(std::move(entry.data));
    }
    BundleEntry& chosen = entries[random.Below(entries.size())];
    const std::string name = chosen.name;
    chosen.data = mutator.Mutate(chosen.data, pieces, [&](const Bytes& data) {
        BundleEntry entry;
        entry.name = name;
        entry.data = data;
        return inner ? inner(entry) : std::vector<Field>();
    });
    Bytes mutated;
    for (const BundleEntry& entry : entries)
        AppendToBundle(mutated, entry.name, entry.data);
    return mutated;
}
