#include "fuzz/engine/formatfields.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr uint8_t PNG_SIGNATURE[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr size_t PNG_CHUNK_OVERHEAD = 12; // length, type and checksum
constexpr uint16_t ORDINAL_MARK = 0xFFFF;
constexpr uint32_t DS_SETFONT_BIT = 0x40;
constexpr size_t STANDARD_HEADER = 18;
constexpr size_t EXTENDED_HEADER = 26;
constexpr size_t STANDARD_ITEM = 18;
constexpr size_t EXTENDED_ITEM = 24;

uint32_t Word(const Bytes& data, size_t at) {
    return at + 2 <= data.size() ? data[at] | data[at + 1] << 8 : 0;
}

uint32_t Dword(const Bytes& data, size_t at) {
    return Word(data, at) | Word(data, at + 2) << 16;
}

// Past a NUL-terminated UTF-16 string, or data.size() when it does not end.
size_t SkipText(const Bytes& data, size_t at) {
    while (at + 2 <= data.size()) {
        const uint32_t unit = Word(data, at);
        at += 2;
        if (unit == 0)
            return at;
    }
    return data.size();
}

// Past a string or a number; `ordinal` is where the number is, 0 for a string.
size_t SkipTextOrNumber(const Bytes& data, size_t at, size_t& ordinal) {
    ordinal = 0;
    if (Word(data, at) == ORDINAL_MARK) {
        ordinal = at + 2;
        return at + 4;
    }
    return SkipText(data, at);
}

void AddCoordinates(std::vector<Field>& fields, size_t at) {
    for (size_t i = 0; i < 4; ++i)
        fields.push_back({at + 2 * i, 2});
}

// Past the menu, class, title and font of the template's header.
size_t SkipHeaderTexts(const Bytes& data, const DialogShape& shape, size_t at, uint32_t style) {
    size_t ordinal = 0;
    at = SkipTextOrNumber(data, at, ordinal); // menu
    at = SkipTextOrNumber(data, at, ordinal); // class
    at = SkipText(data, at);                  // title
    if (style & DS_SETFONT_BIT)
        at = SkipText(data, at + (shape.extended ? 6 : 2));
    return at;
}

} // namespace

std::vector<Field> PngFields(const Bytes& data) {
    std::vector<Field> fields;
    if (data.size() < sizeof PNG_SIGNATURE ||
        !std::equal(std::begin(PNG_SIGNATURE), std::end(PNG_SIGNATURE), data.begin()))
        return fields;
    size_t at = sizeof PNG_SIGNATURE;
    while (at + PNG_CHUNK_OVERHEAD <= data.size()) {
        const uint32_t length = static_cast<uint32_t>(data[at]) << 24 | data[at + 1] << 16 |
                                data[at + 2] << 8 | data[at + 3];
        fields.push_back({at, 4, true});
        if (data[at + 4] == 'I' && data[at + 5] == 'H' && at + 8 + 10 <= data.size()) {
            fields.push_back({at + 8, 4, true});  // width
            fields.push_back({at + 12, 4, true}); // height
            fields.push_back({at + 16, 1});       // bit depth
            fields.push_back({at + 17, 1});       // colour type
        }
        if (length > data.size() - at - PNG_CHUNK_OVERHEAD)
            break;
        at += PNG_CHUNK_OVERHEAD + length;
    }
    return fields;
}

std::vector<Field> StringBlockFields(const Bytes& data) {
    std::vector<Field> fields;
    size_t at = 0;
    for (int i = 0; i < 16 && at + 2 <= data.size(); ++i) {
        fields.push_back({at, 2});
        at += 2 + 2 * static_cast<size_t>(Word(data, at));
    }
    return fields;
}

DialogShape ReadDialogShape(const Bytes& data) {
    DialogShape shape;
    shape.extended = Word(data, 2) == ORDINAL_MARK;
    const size_t header = shape.extended ? EXTENDED_HEADER : STANDARD_HEADER;
    if (data.size() < header)
        return shape;
    const uint32_t style = Dword(data, shape.extended ? 12 : 0);
    shape.countOffset = shape.extended ? 16 : 8;
    shape.fields.push_back({shape.countOffset, 2});
    shape.fields.push_back({shape.extended ? 12u : 0u, 4});
    AddCoordinates(shape.fields, shape.countOffset + 2);
    size_t at = SkipHeaderTexts(data, shape, header, style);
    const size_t itemHeader = shape.extended ? EXTENDED_ITEM : STANDARD_ITEM;
    for (uint32_t item = 0; item < Word(data, shape.countOffset); ++item) {
        at = (at + 3) & ~static_cast<size_t>(3);
        if (at + itemHeader > data.size())
            break;
        const size_t coordinates = at + (shape.extended ? 12 : 8);
        shape.fields.push_back({at + (shape.extended ? 8 : 0), 4}); // style
        AddCoordinates(shape.fields, coordinates);
        shape.fields.push_back({coordinates + 8, static_cast<uint8_t>(shape.extended ? 4 : 2)});
        DialogItemShape itemShape = {at, 0};
        at = SkipTextOrNumber(data, at + itemHeader, itemShape.classOrdinal);
        if (itemShape.classOrdinal)
            shape.fields.push_back({itemShape.classOrdinal, 2});
        size_t titleOrdinal = 0;
        at = SkipTextOrNumber(data, at, titleOrdinal);
        shape.fields.push_back({at, 2}); // creation data
        at += 2 + Word(data, at);
        shape.items.push_back(itemShape);
    }
    return shape;
}
