// The owners close what they hold exactly once: at the end of their scope or on Reset,
// never after Release or a move; the scoped selections put the device context back.
#include "base/owners.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

bool IsGdiObject(HGDIOBJ object) {
    return GetObjectType(object) != 0;
}

bool IsKernelHandle(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

TEST(Owners, CloseWhatTheyHoldOnceAndNothingTheyGaveUp) {
    HBRUSH first = CreateSolidBrush(RGB(1, 2, 3));
    HBRUSH second = CreateSolidBrush(RGB(4, 5, 6));
    HBRUSH kept = CreateSolidBrush(RGB(7, 8, 9));
    {
        Brush brush(first);
        brush.Reset(second);
        EXPECT_FALSE(IsGdiObject(first)) << "Reset closes the one it held";
        Brush moved(std::move(brush));
        EXPECT_FALSE(brush);
        EXPECT_EQ(moved.Get(), second);
        Brush given(kept);
        EXPECT_EQ(given.Release(), kept);
    }
    EXPECT_FALSE(IsGdiObject(second)) << "closed once, by the owner it was moved to";
    EXPECT_TRUE(IsGdiObject(kept)) << "Release gave it up";
    DeleteObject(kept);

    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    { KernelHandle owner(event); }
    EXPECT_FALSE(IsKernelHandle(event));

    HKEY opened = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &opened), ERROR_SUCCESS);
    { RegistryKey key(opened); }
    EXPECT_EQ(RegQueryInfoKeyA(opened, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_HANDLE);

    { LibraryHandle language(LoadLibraryA("lang_1_2_0_0.dll")); }
    EXPECT_EQ(GetModuleHandleA("lang_1_2_0_0.dll"), nullptr);

    WIN32_FIND_DATAA found;
    FindHandle nothing(FindFirstFileA("no such folder\\*", &found));
    EXPECT_FALSE(nothing) << "a failed search gives INVALID_HANDLE_VALUE, which holds nothing";

    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    stream->AddRef();
    { ComPtr<IStream> owner(stream); }
    EXPECT_EQ(stream->Release(), 0u) << "the owner let its one reference go";
}

TEST(Owners, ScopedSelectionsPutTheDeviceContextBack) {
    DibSection target(nullptr, 10, 10, 32);
    ASSERT_TRUE(target);
    const HDC dc = target.Dc();
    const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    const HGDIOBJ palette = GetCurrentObject(dc, OBJ_PAL);
    struct {
        WORD version;
        WORD count;
        PALETTEENTRY entries[1];
    } entries = {0x300, 1, {{1, 2, 3, 0}}};
    GdiObject<HPALETTE> ownPalette(CreatePalette(reinterpret_cast<LOGPALETTE*>(&entries)));
    RECT before = {};
    GetClipBox(dc, &before);
    {
        Selection selected(dc, GetStockObject(ANSI_FIXED_FONT));
        PaletteSelection realised(dc, ownPalette.Get());
        const RECT narrow = {2, 2, 4, 4};
        ClipScope clip(dc, &narrow);
        RECT inside = {};
        GetClipBox(dc, &inside);
        EXPECT_TRUE(EqualRect(&inside, &narrow));
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(ANSI_FIXED_FONT));
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), ownPalette.Get());
    }
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), palette);
    RECT after = {};
    GetClipBox(dc, &after);
    EXPECT_TRUE(EqualRect(&after, &before));
}

TEST(Owners, DibSectionDrawsIntoPixelsOfItsOwnAndGoesWithThem) {
    HBITMAP bitmap = nullptr;
    {
        DibSection topDown(nullptr, 3, -2, 32);
        ASSERT_TRUE(topDown);
        bitmap = topDown.Handle();
        EXPECT_EQ(GetCurrentObject(topDown.Dc(), OBJ_BITMAP), bitmap);
        EXPECT_EQ(topDown.Stride(), 12u);
        SetPixelV(topDown.Dc(), 2, 0, RGB(10, 20, 30));
        GdiFlush();
        const BYTE* pixel = topDown.Bits() + 2 * 4;
        EXPECT_EQ(pixel[0] | pixel[1] << 8 | pixel[2] << 16, 30 | 20 << 8 | 10 << 16);

        DibSection bottomUp(topDown.Dc(), 3, 2, 24);
        ASSERT_TRUE(bottomUp);
        EXPECT_EQ(bottomUp.Stride(), 12u) << "rows are padded to whole words";
        SetPixelV(bottomUp.Dc(), 0, 0, RGB(1, 2, 3));
        GdiFlush();
        EXPECT_EQ(bottomUp.Bits()[bottomUp.Stride()], 3) << "the top row is stored last";
    }
    EXPECT_FALSE(IsGdiObject(bitmap));
}

} // namespace
