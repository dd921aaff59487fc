#include "base/dialogtemplate.h"

#include <iterator>

namespace {

constexpr uint32_t DS_SETFONT_BIT = 0x40; // also part of DS_SHELLFONT
constexpr uint16_t ORDINAL = 0xFFFF;
constexpr uint16_t EXTENDED_SIGNATURE = 0xFFFF;

// A cursor over the template's bytes; every read fails once the bytes run out.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data(data), size(size) {}

    bool Word(uint16_t& value) {
        if (size - position < 2)
            return false;
        value = static_cast<uint16_t>(data[position] | data[position + 1] << 8);
        position += 2;
        return true;
    }
    bool Dword(uint32_t& value) {
        uint16_t low = 0, high = 0;
        if (!Word(low) || !Word(high))
            return false;
        value = static_cast<uint32_t>(high) << 16 | low;
        return true;
    }
    bool Short(int& value) {
        uint16_t word = 0;
        if (!Word(word))
            return false;
        value = static_cast<int16_t>(word);
        return true;
    }
    bool Byte(uint8_t& value) {
        if (position >= size)
            return false;
        value = data[position++];
        return true;
    }
    // A NUL-terminated UTF-16 string.
    bool Text(std::u16string& text) {
        text.clear();
        for (uint16_t unit = 0; Word(unit);) {
            if (unit == 0)
                return true;
            text.push_back(static_cast<char16_t>(unit));
        }
        return false;
    }
    // A string, or 0xFFFF and a number, or a single 0 for nothing.
    bool TextOrNumber(std::u16string& text, uint16_t& number) {
        number = 0;
        Reader probe = *this;
        uint16_t first = 0;
        if (!probe.Word(first) || first != ORDINAL)
            return Text(text);
        text.clear();
        *this = probe;
        return Word(number);
    }
    // Items start on a 32-bit boundary of the template.
    bool AlignToDword() {
        const size_t aligned = (position + 3) & ~static_cast<size_t>(3);
        if (aligned > size)
            return false;
        position = aligned;
        return true;
    }
    bool Skip(size_t count) {
        if (size - position < count)
            return false;
        position += count;
        return true;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t position = 0;
};

std::string ClassName(const std::u16string& name, uint16_t number) {
    static constexpr const char* PREDEFINED[] = {"BUTTON",  "EDIT",      "STATIC",
                                                 "LISTBOX", "SCROLLBAR", "COMBOBOX"};
    if (name.empty()) {
        if (number >= 0x80 && number < 0x80 + std::size(PREDEFINED))
            return PREDEFINED[number - 0x80];
        return "#" + std::to_string(number);
    }
    std::string upper = Utf8(name);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

bool ReadControl(Reader& reader, bool extended, DialogControl& control) {
    uint32_t helpId = 0;
    if (!reader.AlignToDword())
        return false;
    if (extended) {
        if (!reader.Dword(helpId) || !reader.Dword(control.exStyle) || !reader.Dword(control.style))
            return false;
    } else if (!reader.Dword(control.style) || !reader.Dword(control.exStyle)) {
        return false;
    }
    if (!reader.Short(control.x) || !reader.Short(control.y) || !reader.Short(control.cx) ||
        !reader.Short(control.cy))
        return false;
    if (extended) {
        if (!reader.Dword(control.id))
            return false;
    } else {
        uint16_t id = 0;
        if (!reader.Word(id))
            return false;
        control.id = static_cast<uint32_t>(static_cast<int16_t>(id));
    }
    std::u16string className;
    uint16_t classNumber = 0, textNumber = 0, extraSize = 0;
    if (!reader.TextOrNumber(className, classNumber) ||
        !reader.TextOrNumber(control.text, textNumber) || !reader.Word(extraSize))
        return false;
    control.className = ClassName(className, classNumber);
    // A standard template counts the size word itself in the extra data.
    const size_t extra = extended || extraSize < 2 ? extraSize : extraSize - 2u;
    return reader.Skip(extra);
}

bool ReadHeader(Reader& reader, DialogTemplate& dialog, uint16_t& count) {
    uint16_t version = 0, signature = 0;
    Reader probe = reader;
    dialog.extended = probe.Word(version) && probe.Word(signature) && version == 1 &&
                      signature == EXTENDED_SIGNATURE;
    // A system that goes by the signature alone would read this one as extended.
    if (signature == EXTENDED_SIGNATURE && !dialog.extended)
        return false;
    if (dialog.extended) {
        uint32_t helpId = 0;
        reader = probe;
        if (!reader.Dword(helpId) || !reader.Dword(dialog.exStyle) || !reader.Dword(dialog.style))
            return false;
    } else if (!reader.Dword(dialog.style) || !reader.Dword(dialog.exStyle)) {
        return false;
    }
    std::u16string menu, windowClass;
    uint16_t number = 0;
    return reader.Word(count) && reader.Short(dialog.x) && reader.Short(dialog.y) &&
           reader.Short(dialog.cx) && reader.Short(dialog.cy) &&
           reader.TextOrNumber(menu, number) && reader.TextOrNumber(windowClass, number) &&
           reader.Text(dialog.caption);
}

bool ReadFont(Reader& reader, DialogTemplate& dialog) {
    dialog.hasFont = (dialog.style & DS_SETFONT_BIT) != 0;
    if (!dialog.hasFont)
        return true;
    uint16_t points = 0;
    if (!reader.Word(points))
        return false;
    dialog.pointSize = points;
    if (dialog.extended) {
        uint16_t weight = 0;
        uint8_t italic = 0, charset = 0;
        if (!reader.Word(weight) || !reader.Byte(italic) || !reader.Byte(charset))
            return false;
        dialog.weight = weight;
        dialog.italic = italic != 0;
    }
    return reader.Text(dialog.face);
}

} // namespace

bool ReadDialogTemplate(const uint8_t* data, size_t size, DialogTemplate& dialog) {
    dialog = DialogTemplate();
    if (!data)
        return false;
    Reader reader(data, size);
    uint16_t count = 0;
    if (!ReadHeader(reader, dialog, count) || !ReadFont(reader, dialog))
        return false;
    // The count is read from the file: controls are added only as their bytes are there.
    for (uint16_t i = 0; i < count; ++i) {
        DialogControl control;
        if (!ReadControl(reader, dialog.extended, control))
            return false;
        dialog.controls.push_back(std::move(control));
    }
    return true;
}

std::string Utf8(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t code = text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | code >> 6));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | code >> 12));
            out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | code >> 18));
            out.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}
