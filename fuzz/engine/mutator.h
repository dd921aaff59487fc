// Makes new inputs from old ones for the fuzz targets that have no libFuzzer: stacked
// byte flips, random bytes, inserts, deletes, copies within the input, splices with
// other inputs, interesting integers written into the fields a target reads as
// lengths, counts and sizes, tokens of the input's language, and truncation.
#pragma once

#include "fuzz/engine/fuzzrandom.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

using Bytes = std::vector<uint8_t>;

// An integer inside an input, as its reader sees it.
struct Field {
    size_t offset;
    uint8_t width; // 1, 2 or 4 bytes
    bool bigEndian = false;
};

using FieldFinder = std::function<std::vector<Field>(const Bytes&)>;

class CMutator {
public:
    enum class Kind {
        FlipBit,
        RandomByte,
        Insert,
        Delete,
        Copy,
        Splice,
        Interesting,
        Token,
        Truncate
    };
    static constexpr int KIND_COUNT = 9;

    // Tokens are pieces of the input's language (tag names, keys, separators).
    CMutator(uint64_t seed, size_t maxSize, std::vector<Bytes> tokens = {});

    // One to four stacked mutations of the input; never longer than the maximum size.
    // `fields` finds the input's integers (none when empty), `others` are inputs to
    // splice with.
    Bytes Mutate(const Bytes& input, const std::vector<Bytes>& others,
                 const FieldFinder& fields = {});
    void Apply(Kind kind, Bytes& data, const std::vector<Bytes>& others,
               const FieldFinder& fields = {});
    CFuzzRandom& Random() { return random; }

    // Writes value into the field, cut to its width.
    static void WriteField(Bytes& data, const Field& field, uint32_t value);
    static uint32_t ReadField(const Bytes& data, const Field& field);

private:
    Bytes SomeBytes();
    void Insert(Bytes& data);
    void Copy(Bytes& data);
    void Splice(Bytes& data, const std::vector<Bytes>& others);
    void Interesting(Bytes& data, const FieldFinder& fields);
    uint32_t InterestingValue(const Bytes& data, uint32_t current);
    void Token(Bytes& data);

    CFuzzRandom random;
    size_t maxSize;
    std::vector<Bytes> tokens;
};
