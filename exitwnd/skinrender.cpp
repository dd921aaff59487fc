// The drawing side of CSkin: the built-in skin's layout, and painting backgrounds,
// buttons and captions.
#include "exitwnd/skin.h"

#include "core/actiontable.h"
#include "core/module.h"
#include "core/owners.h"
#include "core/moduleresource.h"
#include "exitwnd/highcontrast.h"
#include "res/resource.h"

#include <algorithm>
#include <string>

namespace {

// Where the built-in background's bands put the row of buttons.
constexpr int BODY_TOP = 45;
constexpr int BODY_BOTTOM = 155;
constexpr int BODY_CENTRE = 100;
constexpr int HORIZONTAL_CENTRE = 156;
constexpr int SIDE_MARGIN = 20;
constexpr int COLUMN_GAP = 10;
constexpr int CAPTION_GAP = 5;
constexpr int CANCEL_MARGIN = 10;
constexpr int CAPTION_LENGTH = 255;
constexpr int CAPTION_POINTS = 9;
constexpr int POINTS_PER_INCH = 72;
constexpr char CAPTION_FACE[] = "Tahoma";
constexpr COLORREF CAPTION_COLOUR = RGB(255, 255, 255);
// Every bit a window can be given: each action, the confirmation option and Cancel.
constexpr DWORD EVERY_BUTTON = ALL_ACTIONS | OPTION_CONFIRM | BUTTON_CANCEL;

std::string CaptionText(HMODULE module, LONG key) {
    const ActionRow* action = FindAction(key);
    if (!action)
        return std::string();
    char text[CAPTION_LENGTH] = {};
    LoadModuleString(module, action->captionId, text, CAPTION_LENGTH);
    return text;
}

} // namespace

HFONT CSkin::CreateCaptionFont() {
    const LOGFONTA font = CaptionFont();
    return CreateFontIndirectA(&font);
}

LOGFONTA CSkin::CaptionFont() {
    LOGFONTA font = {};
    {
        WindowDC screen(nullptr);
        font.lfHeight =
            -MulDiv(CAPTION_POINTS, GetDeviceCaps(screen.Get(), LOGPIXELSY), POINTS_PER_INCH);
    }
    font.lfWeight = FW_BOLD;
    font.lfCharSet = DEFAULT_CHARSET;
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font.lfQuality = metrics.lfMenuFont.lfQuality;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DECORATIVE;
    lstrcpyA(font.lfFaceName, CAPTION_FACE);
    return font;
}

void CSkin::Layout(HDC dc, HMODULE captionModule, DWORD actions, SIZE& size) {
    if (!isDefault) {
        size = {Background().Width(), Background().Height()};
        return;
    }
    Clear();
    background = pictures->Resource(IDP_SKIN_BACKGROUND);
    stringModule = captionModule;
    size = {Background().Width(), Background().Height()};
    PlaceDefaultButtons(dc, actions, size);
}

void CSkin::PlaceDefaultButtons(HDC dc, DWORD actions, SIZE& size) {
    const CSkinPictures::Picture icons = pictures->Resource(IDP_SKIN_ICONS);
    const CRasterImage& strip = CSkinPictures::ImageOf(icons);
    const int iconW = strip.Width() / ACTION_COUNT;
    const int iconH = strip.Height() / 3;

    int maxW = 0;
    int maxH = 0;
    int count = 0;
    {
        Font font(CreateCaptionFont());
        Selection selected(dc, font.Get());
        for (const ActionRow& action : ACTIONS) {
            if (!(actions & action.bit))
                continue;
            std::string text = CaptionText(stringModule, action.bit);
            SIZE extent = {};
            GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            maxW = std::max(maxW, static_cast<int>(extent.cx));
            maxH = std::max(maxH, static_cast<int>(extent.cy));
            ++count;
        }
    }

    const int columnW = iconW > maxW ? iconW : maxW;
    const int cellH = iconH + maxH + CAPTION_GAP;
    int top = BODY_CENTRE - cellH / 2;
    const int rowW = (columnW + COLUMN_GAP) * count - COLUMN_GAP;
    int left = HORIZONTAL_CENTRE - rowW / 2;
    int right = left + rowW;
    if (left < SIDE_MARGIN) {
        right += SIDE_MARGIN - left;
        left = SIDE_MARGIN;
    }
    const int backgroundW = Background().Width();
    const int backgroundH = Background().Height();
    const int bodyRight = backgroundW - SIDE_MARGIN;
    size.cx = right > bodyRight ? backgroundW + rowW - (bodyRight - SIDE_MARGIN) : backgroundW;
    if (top < BODY_TOP)
        top = BODY_TOP;
    const int bottom = top + cellH;
    size.cy = bottom > BODY_BOTTOM ? backgroundH + cellH - (BODY_BOTTOM - BODY_TOP) : backgroundH;

    int entry = 0;
    for (LONG key : BUTTON_ORDER) {
        const ActionRow* action = FindAction(key);
        if (!action || !(actions & key))
            continue;
        SkinButton& button = buttons[entry++];
        button.key = key;
        const int iconLeft = left + columnW / 2 - iconW / 2;
        button.buttonRect = {iconLeft, top, iconLeft + iconW, top + iconH};
        button.captionRect = {left, bottom - maxH, left + columnW, bottom};
        auto icon = std::make_shared<CRasterImage>();
        strip.Crop(action->stripColumn * iconW, 0, (action->stripColumn + 1) * iconW,
                   strip.Height(), *icon);
        button.image = icon;
        left += columnW + COLUMN_GAP;
    }

    SkinButton& cancel = buttons[entry];
    cancel.key = BUTTON_CANCEL;
    cancel.image = pictures->Resource(IDP_SKIN_CANCEL);
    if (!cancel.image)
        cancel.image = std::make_shared<CRasterImage>();
    const int cancelW = cancel.image->Width();
    const int cancelH = cancel.image->Height() / 3;
    const int cancelLeft = size.cx - cancelW - CANCEL_MARGIN;
    const int cancelTop = size.cy - cancelH - CANCEL_MARGIN;
    cancel.buttonRect = {cancelLeft, cancelTop, cancelLeft + cancelW, cancelTop + cancelH};
}

void CSkin::DrawBackground(HDC dc, const RECT& rect) {
    if (background) {
        background->Draw(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    }
    if (!isDefault)
        return;
    if (CSkinPictures::Picture title = pictures->Resource(IDP_SKIN_TITLE))
        title->Draw(dc, 0, 0);
    if (CSkinPictures::Picture emblem = pictures->Resource(IDP_SKIN_EMBLEM))
        emblem->Draw(dc, rect.right - emblem->Width(), 0);
}

void CSkin::DrawButton(HDC dc, LONG key, int state, int x, int y) {
    const SkinButton* button = Find(key);
    if (!button || !button->image)
        return;
    if (!isDefault) {
        // A translucent button blends over the part of the background it covers.
        CRasterImage under;
        const RECT& r = button->buttonRect;
        if (Background().Crop(r.left, r.top, r.right, r.bottom, under))
            under.Draw(dc, x, y);
    }
    const CRasterImage& image = *button->image;
    const int stateH = image.Height() / 3;
    CRasterImage band;
    if (image.Crop(0, state * stateH, image.Width(), (state + 1) * stateH, band))
        band.Draw(dc, x, y);
}

void CSkin::DrawCaption(HDC dc, LONG key) const {
    Font font(CreateCaptionFont());
    Selection selected(dc, font.Get());
    const SkinButton* button = Find(key);
    RECT rect = button ? button->captionRect : RECT{};
    std::string text = CaptionText(stringModule, key);
    HighContrast::Now().SelectCaptionColours(dc, CAPTION_COLOUR);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

bool RenderSkinPreview(CSkin& skin, HDC dc, HMODULE stringModule, CRasterImage& preview) {
    SIZE size = {};
    skin.Layout(dc, stringModule, EVERY_BUTTON, size);
    Bitmap bitmap(CreateCompatibleBitmap(dc, size.cx, size.cy));
    {
        MemoryDC memory(dc);
        if (!memory || !bitmap)
            return false;
        Selection selected(memory.Get(), bitmap.Get());
        skin.DrawBackground(memory.Get(), RECT{0, 0, size.cx, size.cy});
        for (LONG key : CSkin::BUTTON_ORDER) {
            RECT rect;
            if (skin.GetButtonRect(key, rect))
                skin.DrawButton(memory.Get(), key, CSkin::STATE_NORMAL, rect.left, rect.top);
            skin.DrawCaption(memory.Get(), key);
        }
    }
    // The bitmap is read once no device context holds it any more.
    return preview.CreateFromBitmap(bitmap.Get(), nullptr);
}
