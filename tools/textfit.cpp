#include "tools/textfit.h"

namespace {

constexpr int DPI = 96;
// Room taken from a control's width by what it draws besides its text, at 96 DPI.
constexpr int PUSH_BUTTON_MARGIN = 8; // frame and focus rectangle on both sides
constexpr int CHECK_BOX_SPACE = 17;   // the 13-pixel box and the gap after it
constexpr int GROUP_BOX_MARGIN = 16;  // the frame's line before and after the title

enum class TextKind { None, SingleLine, Wrapped };

struct Room {
    TextKind kind = TextKind::None;
    int widthTaken = 0;
    bool prefix = true; // "&" marks the next character as the control's key
};

Room RoomFor(const DialogControl& control) {
    const uint32_t style = control.style;
    if (control.className == "BUTTON") {
        const uint32_t type = style & BS_TYPEMASK;
        const TextKind lines = style & BS_MULTILINE ? TextKind::Wrapped : TextKind::SingleLine;
        switch (type) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
            return {lines, PUSH_BUTTON_MARGIN};
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
        case BS_3STATE:
        case BS_AUTO3STATE:
            return {lines, CHECK_BOX_SPACE};
        case BS_GROUPBOX:
            return {TextKind::SingleLine, GROUP_BOX_MARGIN};
        default:
            return {};
        }
    }
    if (control.className == "STATIC") {
        const bool prefix = (style & SS_NOPREFIX) == 0;
        switch (style & SS_TYPEMASK) {
        case SS_LEFT:
        case SS_CENTER:
        case SS_RIGHT:
            return {style & SS_CENTERIMAGE ? TextKind::SingleLine : TextKind::Wrapped, 0, prefix};
        case SS_LEFTNOWORDWRAP:
        case SS_SIMPLE:
            return {TextKind::SingleLine, 0, prefix};
        default:
            return {};
        }
    }
    return {};
}

} // namespace

CTextFit::CTextFit(const DialogTemplate& dialog) : dc(nullptr) {
    LOGFONTW face = {};
    face.lfHeight = -MulDiv(dialog.hasFont ? dialog.pointSize : 8, DPI, 72);
    face.lfWeight = dialog.weight;
    face.lfItalic = dialog.italic ? TRUE : FALSE;
    face.lfCharSet = DEFAULT_CHARSET;
    const std::u16string name = dialog.hasFont ? dialog.face : u"MS Shell Dlg";
    lstrcpynW(face.lfFaceName, reinterpret_cast<const wchar_t*>(name.c_str()), LF_FACESIZE);
    font.Reset(CreateFontIndirectW(&face));
    Selection selected(dc.Get(), font.Get());
    // The dialog manager's own measure: the average width of the 52 letters, rounded.
    static constexpr wchar_t LETTERS[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE letters = {};
    TEXTMETRICW metrics = {};
    if (GetTextExtentPoint32W(dc.Get(), LETTERS, 52, &letters) &&
        GetTextMetricsW(dc.Get(), &metrics)) {
        unitX = (letters.cx / 26 + 1) / 2;
        unitY = metrics.tmHeight;
    }
}

bool CTextFit::Measure(const DialogControl& control, const std::u16string& text, Fit& fit) const {
    const Room room = RoomFor(control);
    if (room.kind == TextKind::None || text.empty() || unitX == 0)
        return false;
    fit.room = {MulDiv(control.cx, unitX, 4) - room.widthTaken, MulDiv(control.cy, unitY, 8)};
    UINT format = DT_CALCRECT | DT_EXPANDTABS | (room.prefix ? 0 : DT_NOPREFIX);
    format |= room.kind == TextKind::Wrapped ? DT_WORDBREAK : DT_SINGLELINE;
    RECT rect = {0, 0, fit.room.cx > 0 ? fit.room.cx : 1, 0};
    Selection selected(dc.Get(), font.Get());
    DrawTextW(dc.Get(), reinterpret_cast<const wchar_t*>(text.c_str()),
              static_cast<int>(text.size()), &rect, format);
    fit.needed = {rect.right - rect.left, rect.bottom - rect.top};
    return true;
}
