// The drawing side of CSkin: the built-in skin's layout, and painting backgrounds,
// buttons and captions.
#include "exitwnd/skin.h"

#include "api/actiontable.h"
#include "base/module.h"
#include "base/owners.h"
#include "base/moduleresource.h"
#include "exitwnd/highcontrast.h"
#include "res/resource.h"

#include <algorithm>
#include <cmath>
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
constexpr wchar_t CAPTION_FACE[] = L"Tahoma";
constexpr COLORREF CAPTION_COLOUR = RGB(255, 255, 255);
// Text does not shrink in proportion with the pictures: a few rounds may be needed to fit.
constexpr int FIT_ROUNDS = 8;
// Every bit a window can be given: each action, the confirmation option and Cancel.
constexpr DWORD EVERY_BUTTON = ALL_ACTIONS | OPTION_CONFIRM | BUTTON_CANCEL;

std::wstring CaptionText(HMODULE module, LONG key) {
    const ActionRow* action = FindAction(key);
    return action ? LoadModuleText(module, action->captionId, CAPTION_LENGTH - 1) : std::wstring();
}

// A length in the skin's own pixels at a scale: nothing stays nothing, anything else
// keeps at least one pixel.
LONG Scaled(LONG length, double scale) {
    if (length <= 0)
        return 0;
    return std::max(1L, std::lround(length * scale));
}

CSkinPictures::Picture ScaledPicture(const CSkinPictures::Picture& picture, double scale) {
    if (!picture)
        return nullptr;
    const CSkinPictures::Bands bands = CSkinPictures::Cut(
        picture, {Scaled(picture->Width(), scale), Scaled(picture->Height(), scale)}, 1);
    return bands.empty() ? nullptr : bands.front();
}

bool HasSize(const CSkinPictures::Picture& picture, SIZE size) {
    return picture && picture->Width() == size.cx && picture->Height() == size.cy;
}

bool Covers(const CSkinPictures::Picture& picture, SIZE size) {
    return picture && picture->Width() >= size.cx && picture->Height() >= size.cy;
}

bool Fits(SIZE size, SIZE limit) {
    return limit.cx <= 0 || limit.cy <= 0 || (size.cx <= limit.cx && size.cy <= limit.cy);
}

} // namespace

HFONT CSkin::CreateCaptionFont(double scale) {
    const LOGFONTW font = CaptionFont(scale);
    return CreateFontIndirectW(&font);
}

LOGFONTW CSkin::CaptionFont(double scale) {
    LOGFONTW font = {};
    font.lfHeight = -Scaled(CAPTION_POINTS * SkinFit::BASE_DPI / POINTS_PER_INCH, scale);
    font.lfWeight = FW_BOLD;
    font.lfCharSet = DEFAULT_CHARSET;
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font.lfQuality = metrics.lfMenuFont.lfQuality;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DECORATIVE;
    lstrcpynW(font.lfFaceName, CAPTION_FACE, LF_FACESIZE);
    return font;
}

void CSkin::Layout(HDC dc, HMODULE captionModule, DWORD actions, SIZE& size, const SkinFit& fit) {
    if (isDefault) {
        stringModule = captionModule;
        background = pictures->Resource(IDP_SKIN_BACKGROUND);
    }
    const int dpi = fit.dpi > 0 ? fit.dpi : SkinFit::BASE_DPI;
    double scale = static_cast<double>(dpi) / SkinFit::BASE_DPI;
    LayOutAt(dc, actions, scale, fit.limit.cx, size);
    // Text does not shrink in proportion: a few rounds may be needed.
    for (int round = 0; round < FIT_ROUNDS && !Fits(size, fit.limit); ++round) {
        scale *= std::min(static_cast<double>(fit.limit.cx) / size.cx,
                          static_cast<double>(fit.limit.cy) / size.cy);
        LayOutAt(dc, actions, scale, fit.limit.cx, size);
    }
    if (isDefault)
        ShowDefaultPictures(scale);
    else
        ShowFolderPictures(size, static_cast<double>(dpi) / SkinFit::BASE_DPI);
}

void CSkin::LayOutAt(HDC dc, DWORD actions, double scale, LONG widthLimit, SIZE& size) {
    if (isDefault)
        PlaceDefaultButtons(dc, actions, scale, widthLimit, size);
    else
        PlaceFolderButtons(scale, size);
}

SIZE CSkin::FolderSizeAt(int dpi) {
    SIZE size = {};
    PlaceFolderButtons(static_cast<double>(dpi) / SkinFit::BASE_DPI, size);
    return size;
}

// The window holds the background and every button, however small the background is.
void CSkin::PlaceFolderButtons(double scale, SIZE& size) {
    size = {Scaled(backgroundSize.cx, scale), Scaled(backgroundSize.cy, scale)};
    for (SkinButton& button : buttons) {
        if (!button.key || button.file.empty())
            continue;
        const LONG x = Scaled(button.origin.x, scale);
        const LONG y = Scaled(button.origin.y, scale);
        button.buttonRect = {x, y, x + Scaled(button.imageSize.cx, scale),
                             y + Scaled(button.imageSize.cy / SKIN_STATE_COUNT, scale)};
        size.cx = std::max(size.cx, button.buttonRect.right);
        size.cy = std::max(size.cy, button.buttonRect.bottom);
    }
}

// Pictures already at their size are kept: which file they come from depends on nothing
// else. The pictures for the resolution are chosen, then fitted to the size.
void CSkin::ShowFolderPictures(SIZE size, double resolutionScale) {
    const auto at = [resolutionScale](SIZE natural) {
        return SIZE{Scaled(natural.cx, resolutionScale), Scaled(natural.cy, resolutionScale)};
    };
    if (!HasSize(shownBackground, size))
        shownBackground = ShownBackground(size, at(backgroundSize));
    for (SkinButton& button : buttons) {
        if (!button.key || button.file.empty())
            continue;
        const RECT& r = button.buttonRect;
        const SIZE band = {r.right - r.left, r.bottom - r.top};
        if (button.states.empty() || !HasSize(button.states.front(), band))
            button.states = ShownStates(button, band, at(button.imageSize));
    }
}

// From the file, or, once the skin has let go of it, shrunk from what is shown now.
CSkinPictures::Picture CSkin::ShownBackground(SIZE size, SIZE chosenFor) const {
    if (!background && Covers(shownBackground, size)) {
        const CSkinPictures::Bands shrunk = CSkinPictures::Cut(shownBackground, size, 1);
        if (!shrunk.empty())
            return shrunk.front();
    }
    const CSkinPictures::Bands shown = pictures->FileBands(backgroundFile, size, 1, chosenFor);
    return shown.empty() ? background : shown.front();
}

CSkinPictures::Bands CSkin::ShownStates(const SkinButton& button, SIZE band, SIZE chosenFor) const {
    const bool shrink = !button.image && button.states.size() == SKIN_STATE_COUNT &&
                        std::all_of(button.states.begin(), button.states.end(),
                                    [band](const auto& state) { return Covers(state, band); });
    if (!shrink)
        return pictures->FileBands(button.file, band, SKIN_STATE_COUNT, chosenFor);
    CSkinPictures::Bands states;
    for (const CSkinPictures::Picture& state : button.states) {
        const CSkinPictures::Bands cut = CSkinPictures::Cut(state, band, 1);
        if (cut.empty())
            return {};
        states.push_back(cut.front());
    }
    return states;
}

void CSkin::PlaceDefaultButtons(HDC dc, DWORD actions, double scale, LONG widthLimit, SIZE& size) {
    for (SkinButton& button : buttons)
        button = SkinButton{};
    const CRasterImage& strip = CSkinPictures::ImageOf(pictures->Resource(IDP_SKIN_ICONS));
    const int iconW = Scaled(strip.Width() / ACTION_COUNT, scale);
    const int iconH = Scaled(strip.Height() / SKIN_STATE_COUNT, scale);
    const auto at = [scale](int length) { return Scaled(length, scale); };

    captionFont = CaptionFont(scale);
    int maxW = 0;
    int maxH = 0;
    int count = 0;
    {
        Font font(CreateFontIndirectW(&captionFont));
        Selection selected(dc, font.Get());
        for (const ActionRow& action : ACTIONS) {
            if (!(actions & action.bit))
                continue;
            const std::wstring text = CaptionText(stringModule, action.bit);
            SIZE extent = {};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            maxW = std::max(maxW, static_cast<int>(extent.cx));
            maxH = std::max(maxH, static_cast<int>(extent.cy));
            ++count;
        }
    }
    // Captions too long for the room are cut short rather than widening the window.
    if (widthLimit > 0 && count > 0)
        maxW = std::min<int>(
            maxW, (widthLimit - 2 * at(SIDE_MARGIN) - (count - 1) * at(COLUMN_GAP)) / count);

    const int columnW = iconW > maxW ? iconW : maxW;
    const int cellH = iconH + maxH + at(CAPTION_GAP);
    int top = at(BODY_CENTRE) - cellH / 2;
    const int rowW = (columnW + at(COLUMN_GAP)) * count - at(COLUMN_GAP);
    int left = at(HORIZONTAL_CENTRE) - rowW / 2;
    int right = left + rowW;
    if (left < at(SIDE_MARGIN)) {
        right += at(SIDE_MARGIN) - left;
        left = at(SIDE_MARGIN);
    }
    const int backgroundW = at(Background().Width());
    const int backgroundH = at(Background().Height());
    const int bodyRight = backgroundW - at(SIDE_MARGIN);
    size.cx = right > bodyRight ? backgroundW + rowW - (bodyRight - at(SIDE_MARGIN)) : backgroundW;
    if (top < at(BODY_TOP))
        top = at(BODY_TOP);
    const int bottom = top + cellH;
    const int bodyH = at(BODY_BOTTOM) - at(BODY_TOP);
    size.cy = bottom > at(BODY_BOTTOM) ? backgroundH + cellH - bodyH : backgroundH;

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
        left += columnW + at(COLUMN_GAP);
    }

    SkinButton& cancel = buttons[entry];
    cancel.key = BUTTON_CANCEL;
    const CRasterImage& cancelImage = CSkinPictures::ImageOf(pictures->Resource(IDP_SKIN_CANCEL));
    const int cancelW = at(cancelImage.Width());
    const int cancelH = at(cancelImage.Height() / SKIN_STATE_COUNT);
    const int cancelLeft = size.cx - cancelW - at(CANCEL_MARGIN);
    const int cancelTop = size.cy - cancelH - at(CANCEL_MARGIN);
    cancel.buttonRect = {cancelLeft, cancelTop, cancelLeft + cancelW, cancelTop + cancelH};
}

// The built-in pictures at the scale the layout settled on: each icon cut from the strip.
void CSkin::ShowDefaultPictures(double scale) {
    const CSkinPictures::Picture strip = pictures->Resource(IDP_SKIN_ICONS);
    const CRasterImage& icons = CSkinPictures::ImageOf(strip);
    const int iconW = icons.Width() / ACTION_COUNT;
    for (SkinButton& button : buttons) {
        const ActionRow* action = FindAction(button.key);
        const RECT& r = button.buttonRect;
        const SIZE band = {r.right - r.left, r.bottom - r.top};
        if (button.key == BUTTON_CANCEL) {
            button.image = pictures->Resource(IDP_SKIN_CANCEL);
            button.states = CSkinPictures::Cut(button.image, band, SKIN_STATE_COUNT);
            continue;
        }
        if (!action)
            continue;
        auto icon = std::make_shared<CRasterImage>();
        icons.Crop(action->stripColumn * iconW, 0, (action->stripColumn + 1) * iconW,
                   icons.Height(), *icon);
        button.image = icon;
        button.states = CSkinPictures::Cut(button.image, band, SKIN_STATE_COUNT);
    }
    shownBackground = ScaledPicture(background, scale);
    shownTitle = ScaledPicture(pictures->Resource(IDP_SKIN_TITLE), scale);
    shownEmblem = ScaledPicture(pictures->Resource(IDP_SKIN_EMBLEM), scale);
}

void CSkin::DrawBackground(HDC dc, const RECT& rect) {
    if (shownBackground)
        shownBackground->Draw(dc, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top);
    if (!isDefault)
        return;
    if (shownTitle)
        shownTitle->Draw(dc, 0, 0);
    if (shownEmblem)
        shownEmblem->Draw(dc, rect.right - shownEmblem->Width(), 0);
}

void CSkin::DrawButton(HDC dc, LONG key, int state, int x, int y) {
    SkinButton* button = Find(key);
    // Not laid out: the picture's own states, cut when first drawn.
    if (button && button->states.empty() && button->image)
        button->states = CSkinPictures::Cut(
            button->image, {button->imageSize.cx, button->imageSize.cy / SKIN_STATE_COUNT},
            SKIN_STATE_COUNT);
    if (!button || state < 0 || static_cast<size_t>(state) >= button->states.size())
        return;
    if (!isDefault && shownBackground) {
        // A translucent button blends over the part of the background it covers.
        CRasterImage under;
        const RECT& r = button->buttonRect;
        if (shownBackground->Crop(r.left, r.top, r.right, r.bottom, under))
            under.Draw(dc, x, y);
    }
    button->states[state]->Draw(dc, x, y);
}

void CSkin::DrawCaption(HDC dc, LONG key) const {
    Font font(CreateFontIndirectW(&captionFont));
    Selection selected(dc, font.Get());
    const SkinButton* button = Find(key);
    RECT rect = button ? button->captionRect : RECT{};
    const std::wstring text = CaptionText(stringModule, key);
    HighContrast::Now().SelectCaptionColours(dc, CAPTION_COLOUR);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

bool RenderSkinPreview(CSkin& skin, HDC dc, HMODULE stringModule, CRasterImage& preview,
                       const SkinFit& fit) {
    SIZE size = {};
    skin.Layout(dc, stringModule, EVERY_BUTTON, size, fit);
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
