#include "fuzz/engine/mutator.h"

#include <algorithm>
#include <iterator>

namespace {

// Values at the edges where readers of lengths and counts go wrong.
constexpr uint32_t INTERESTING[] = {
    0,       1,        2,          3,          4,          7,         8,      15,
    16,      31,       32,         63,         64,         0x7F,      0x80,   0xFF,
    0x100,   0x3FF,    0x400,      0x7FFF,     0x8000,     0xFFFE,    0xFFFF, 0x10000,
    0xFFFFF, 0x100000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFE, 0xFFFFFFFF};
constexpr size_t LONG_INSERT = 4096;
constexpr size_t SHORT_INSERT = 16;

bool Fits(const Bytes& data, const Field& field) {
    return field.width > 0 && field.offset <= data.size() &&
           field.width <= data.size() - field.offset;
}

} // namespace

CMutator::CMutator(uint64_t seed, size_t maxSize, std::vector<Bytes> tokens)
    : random(seed), maxSize(maxSize), tokens(std::move(tokens)) {}

Bytes CMutator::Mutate(const Bytes& input, const std::vector<Bytes>& others,
                       const FieldFinder& fields) {
    Bytes data = input;
    const size_t steps = 1 + random.Below(4);
    for (size_t step = 0; step < steps; ++step)
        Apply(static_cast<Kind>(random.Below(KIND_COUNT)), data, others, fields);
    if (data.size() > maxSize)
        data.resize(maxSize);
    return data;
}

void CMutator::Apply(Kind kind, Bytes& data, const std::vector<Bytes>& others,
                     const FieldFinder& fields) {
    if (data.empty() && kind != Kind::Splice && kind != Kind::Token)
        kind = Kind::Insert;
    switch (kind) {
    case Kind::FlipBit:
        data[random.Below(data.size())] ^= static_cast<uint8_t>(1u << random.Below(8));
        break;
    case Kind::RandomByte:
        data[random.Below(data.size())] = static_cast<uint8_t>(random.Next());
        break;
    case Kind::Insert:
        Insert(data);
        break;
    case Kind::Delete: {
        const size_t at = random.Below(data.size());
        const size_t count = 1 + random.Below(std::min<size_t>(data.size() - at, SHORT_INSERT * 4));
        data.erase(data.begin() + at, data.begin() + at + count);
        break;
    }
    case Kind::Copy:
        Copy(data);
        break;
    case Kind::Splice:
        Splice(data, others);
        break;
    case Kind::Interesting:
        Interesting(data, fields);
        break;
    case Kind::Token:
        Token(data);
        break;
    case Kind::Truncate:
        data.resize(random.Below(data.size()));
        break;
    }
}

// Mostly a few bytes; now and then a long run, which is how texts get huge.
Bytes CMutator::SomeBytes() {
    const size_t count = 1 + random.Below(random.OneIn(8) ? LONG_INSERT : SHORT_INSERT);
    Bytes bytes(count);
    if (random.OneIn(2)) {
        std::fill(bytes.begin(), bytes.end(), static_cast<uint8_t>(random.Next()));
    } else {
        for (uint8_t& byte : bytes)
            byte = static_cast<uint8_t>(random.Next());
    }
    return bytes;
}

void CMutator::Insert(Bytes& data) {
    const Bytes bytes = SomeBytes();
    data.insert(data.begin() + random.Below(data.size() + 1), bytes.begin(), bytes.end());
}

void CMutator::Copy(Bytes& data) {
    const size_t from = random.Below(data.size());
    const size_t count = 1 + random.Below(std::min<size_t>(data.size() - from, LONG_INSERT));
    const Bytes piece(data.begin() + from, data.begin() + from + count);
    data.insert(data.begin() + random.Below(data.size() + 1), piece.begin(), piece.end());
}

// The front of this input and the back of another.
void CMutator::Splice(Bytes& data, const std::vector<Bytes>& others) {
    if (others.empty())
        return;
    const Bytes& other = others[random.Below(others.size())];
    data.resize(random.Below(data.size() + 1));
    const size_t from = random.Below(other.size() + 1);
    data.insert(data.end(), other.begin() + from, other.end());
}

void CMutator::Interesting(Bytes& data, const FieldFinder& fields) {
    std::vector<Field> known = fields ? fields(data) : std::vector<Field>();
    known.erase(std::remove_if(known.begin(), known.end(),
                               [&](const Field& field) { return !Fits(data, field); }),
                known.end());
    Field field = {};
    if (!known.empty() && !random.OneIn(8)) {
        field = known[random.Below(known.size())];
    } else {
        constexpr uint8_t WIDTHS[] = {1, 2, 4};
        field.width = WIDTHS[random.Below(3)];
        if (data.size() < field.width)
            field.width = 1;
        field.offset = random.Below(data.size() - field.width + 1);
        field.bigEndian = random.OneIn(2);
    }
    WriteField(data, field, InterestingValue(data, ReadField(data, field)));
}

uint32_t CMutator::InterestingValue(const Bytes& data, uint32_t current) {
    switch (random.Below(4)) {
    case 0: // a little off, as an off-by-one count is
        return current + static_cast<uint32_t>(random.Below(33)) - 16;
    case 1: // about the size of the input
        return static_cast<uint32_t>(data.size()) + static_cast<uint32_t>(random.Below(9)) - 4;
    default:
        return INTERESTING[random.Below(std::size(INTERESTING))];
    }
}

// Inserted, or written over what is there.
void CMutator::Token(Bytes& data) {
    if (tokens.empty()) {
        Insert(data);
        return;
    }
    const Bytes& token = tokens[random.Below(tokens.size())];
    const size_t at = random.Below(data.size() + 1);
    if (random.OneIn(2)) {
        data.insert(data.begin() + at, token.begin(), token.end());
        return;
    }
    const size_t kept = std::min(token.size(), data.size() - at);
    std::copy(token.begin(), token.begin() + kept, data.begin() + at);
    data.insert(data.end(), token.begin() + kept, token.end());
}

void CMutator::WriteField(Bytes& data, const Field& field, uint32_t value) {
    if (!Fits(data, field))
        return;
    for (uint8_t i = 0; i < field.width; ++i) {
        const uint8_t shift = static_cast<uint8_t>(8 * (field.bigEndian ? field.width - 1 - i : i));
        data[field.offset + i] = static_cast<uint8_t>(value >> shift);
    }
}

uint32_t CMutator::ReadField(const Bytes& data, const Field& field) {
    if (!Fits(data, field))
        return 0;
    uint32_t value = 0;
    for (uint8_t i = 0; i < field.width; ++i) {
        const uint8_t shift = static_cast<uint8_t>(8 * (field.bigEndian ? field.width - 1 - i : i));
        value |= static_cast<uint32_t>(data[field.offset + i]) << shift;
    }
    return value;
}
