// The hot-key control on its own: a real window fed the key messages the keyboard makes.
#include "settings/hotkeyctrl.h"
#include "tests/settings/settingstestsupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <uxtheme.h>

#include <string>
#include <vector>

namespace {

class HotKeyControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterHotKeyClass(GetModuleHandleA(nullptr));
        parent = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 240, 60, nullptr, nullptr,
                               nullptr, nullptr);
        SendMessageA(parent, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                     FALSE);
        control = CreateWindowA(HOTKEY_CLASS_NAME, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10,
                                200, 24, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(CHotKeyCtrl::FromWindow(control), nullptr);
    }
    void TearDown() override { DestroyWindow(parent); }

    WORD Value() const { return static_cast<WORD>(SendMessageA(control, HKM_GETHOTKEY, 0, 0)); }
    std::wstring Text() const { return CHotKeyCtrl::FromWindow(control)->Text(); }
    void Set(WPARAM value) { SendMessageA(control, HKM_SETHOTKEY, value, 0); }
    void Down(UINT key, bool extended = false) { SendKey(control, key, true, extended); }
    void Up(UINT key, bool extended = false) { SendKey(control, key, false, extended); }
    void Tap(UINT key, bool extended = false) {
        Down(key, extended);
        Up(key, extended);
    }

    HWND parent = nullptr;
    HWND control = nullptr;
};

TEST_F(HotKeyControlTest, SetAndGetMessagesAndTheText) {
    EXPECT_EQ(Text(), L"None");
    EXPECT_EQ(Value(), 0);

    Set(0x2041);
    EXPECT_EQ(Value(), 0x2041);
    EXPECT_EQ(Text(), L"Win + A");
    Set(0x2741);
    EXPECT_EQ(Text(), L"Ctrl + Shift + Alt + Win + A");
    Set(0xABCD0641); // only the low word is the value
    EXPECT_EQ(Value(), 0x0641);
    EXPECT_EQ(Text(), L"Ctrl + Alt + A");
    Set(0x0300); // modifiers without a key are no hot key
    EXPECT_EQ(Text(), L"None");
    EXPECT_EQ(Value(), 0);
    Set(0x00FF); // a code without a key name
    EXPECT_EQ(Text(), L"#255");
    Set(0);
    EXPECT_EQ(Text(), L"None");
}

TEST_F(HotKeyControlTest, CombinationIsBuiltWhileModifiersAreHeldAndKeptAfter) {
    Down(VK_CONTROL);
    EXPECT_EQ(Text(), L"Ctrl + ");
    Up(VK_CONTROL);
    EXPECT_EQ(Value(), 0) << "a modifier alone is no combination";
    EXPECT_EQ(Text(), L"None");

    Down(VK_CONTROL);
    Down(VK_MENU);
    Down('A');
    Up('A');
    Up(VK_MENU);
    Up(VK_CONTROL);
    EXPECT_EQ(Value(), 0x0641);
    EXPECT_EQ(Text(), L"Ctrl + Alt + A");

    Tap('B');
    EXPECT_EQ(Value(), 0x0642) << "the modifiers stay, the main key is replaced";

    Down(VK_SHIFT);
    EXPECT_EQ(Value(), 0x0100) << "a modifier after a complete combination starts again";
    EXPECT_EQ(Text(), L"Shift + ");
    Up(VK_SHIFT);

    Down(VK_LWIN, true);
    Tap('L');
    Up(VK_LWIN, true);
    EXPECT_EQ(Value(), 0x204C);
    EXPECT_EQ(Text(), L"Win + L");
    Down(VK_RWIN, true);
    EXPECT_EQ(Value(), 0x2000);
    Up(VK_RWIN, true);
}

TEST_F(HotKeyControlTest, ExtendedKeysCarryTheirBitAndName) {
    Tap(VK_RIGHT, true);
    EXPECT_EQ(Value(), 0x0827);
    std::wstring extendedName = Text();
    Tap(VK_RIGHT, false); // the same code from the keypad
    EXPECT_EQ(Value(), 0x0027);
    EXPECT_NE(Text(), extendedName);

    Down(VK_CONTROL);
    Tap(VK_RIGHT, true);
    Up(VK_CONTROL);
    Tap('Z');
    EXPECT_EQ(Value(), 0x025A) << "a new main key drops the extended bit";
}

// Keys that share a scan code with another key, or tell it apart only by the extended
// flag: the key stored is the one the keyboard reported.
TEST_F(HotKeyControlTest, TheKeyPressedIsTheKeyStored) {
    const struct {
        UINT key;
        UINT scanCode;
        bool extended;
        WORD stored;
    } keys[] = {
        {VK_PAUSE, 0x45, false, VK_PAUSE},       {VK_NUMLOCK, 0x45, true, 0x0800 | VK_NUMLOCK},
        {VK_NUMPAD1, 0x4F, false, VK_NUMPAD1},   {VK_END, 0x4F, true, 0x0800 | VK_END},
        {VK_MULTIPLY, 0x37, false, VK_MULTIPLY}, {VK_SNAPSHOT, 0x37, true, 0x0800 | VK_SNAPSHOT},
        {VK_SCROLL, 0x46, false, VK_SCROLL},     {VK_CANCEL, 0x46, true, 0x0800 | VK_CANCEL},
    };
    std::vector<std::wstring> names;
    for (const auto& key : keys) {
        SCOPED_TRACE(key.key);
        LPARAM data = 1 | key.scanCode << 16 | (key.extended ? 1u << 24 : 0u);
        SendMessageA(control, WM_KEYDOWN, key.key, data);
        SendMessageA(control, WM_KEYUP, key.key, data | 0xC0000000u);
        EXPECT_EQ(Value(), key.stored);
        names.push_back(Text());
    }
    for (size_t i = 0; i < names.size(); i += 2)
        EXPECT_NE(names[i], names[i + 1]) << "keys that share a scan code keep their names apart";
}

// The parent as a dialog would see the request for its system menu, without opening it.
bool menuAsked = false;
WNDPROC parentProc = nullptr;
LRESULT CALLBACK NoteMenuRequest(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU) {
        menuAsked = true;
        return 0;
    }
    return CallWindowProcA(parentProc, window, message, wParam, lParam);
}

TEST_F(HotKeyControlTest, AltSpaceIsAKeyAndOpensNoSystemMenu) {
    menuAsked = false;
    parentProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NoteMenuRequest)));
    const LPARAM altHeld = 1 << 29;
    Down(VK_MENU);
    SendMessageA(control, WM_SYSKEYDOWN, VK_SPACE, KeyData(VK_SPACE) | altHeld);
    SendMessageA(control, WM_SYSCHAR, ' ', KeyData(VK_SPACE) | altHeld);
    SendMessageA(control, WM_SYSKEYUP, VK_SPACE, KeyData(VK_SPACE, false, true) | altHeld);
    Up(VK_MENU);
    EXPECT_EQ(Value(), 0x0400 | VK_SPACE);
    EXPECT_FALSE(menuAsked);
}

TEST_F(HotKeyControlTest, CaretFollowsTheTextOnlyWhileFocused) {
    HWND edit = CreateWindowA("EDIT", "some text", WS_CHILD | WS_VISIBLE, 10, 36, 200, 20, parent,
                              nullptr, nullptr, nullptr);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 4, 4);
    POINT editCaret = {};
    GetCaretPos(&editCaret);
    Set(0x0741);
    POINT after = {};
    GetCaretPos(&after);
    EXPECT_EQ(after.x, editCaret.x) << "another window's caret must not move";
    EXPECT_EQ(after.y, editCaret.y);

    SetFocus(control);
    POINT wide = {};
    GetCaretPos(&wide);
    EXPECT_EQ(wide.y, 2);
    Set(0x0041);
    POINT narrow = {};
    GetCaretPos(&narrow);
    EXPECT_GT(narrow.x, 4);
    EXPECT_LT(narrow.x, wide.x) << "the caret stands right after the shorter text";
}

TEST_F(HotKeyControlTest, FrameFollowsTheThemeAndFallsBackToTheClassicOne) {
    Set(0x0641);
    const COLORREF border = GetSysColor(COLOR_GRAYTEXT) & 0xFFFFFF;
    const COLORREF inside = GetSysColor(COLOR_WINDOW) & 0xFFFFFF;
    if (IsThemeActive()) {
        CCanvas themed(200, 24);
        HTHEME theme = OpenThemeData(nullptr, L"EDIT");
        ASSERT_NE(theme, nullptr);
        const RECT all = {0, 0, 200, 24};
        DrawThemeBackground(theme, themed.Dc(), 1, 1, &all, &all);
        CloseThemeData(theme);
        EXPECT_EQ(CaptureClient(control)->Pixel(0, 0), themed.Pixel(0, 0));
    }

    std::unique_ptr<CCanvas> canvas;
    {
        CWithoutThemes noThemes(GetModuleHandleA(nullptr));
        ASSERT_TRUE(noThemes.Installed());
        InvalidateRect(control, nullptr, FALSE);
        canvas = CaptureClient(control);
    }
    EXPECT_EQ(canvas->Pixel(0, 0), border);
    EXPECT_EQ(canvas->Pixel(199, 23), border);
    EXPECT_EQ(canvas->Pixel(2, 2), inside);
    RECT text = canvas->Extent([&](COLORREF c) { return c != border && c != inside; });
    EXPECT_GE(text.left, 4) << "text starts after the margin";
    EXPECT_GT(text.right - text.left, 40);
}

} // namespace
