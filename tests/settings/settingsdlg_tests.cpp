// The settings dialog linked into this program, whose own skins folder holds skin
// folders made for each case.
#include "host/dialogdriver.h"
#include "res/resource.h"
#include "settings/hotkeyctrl.h"
#include "settings/settingsdlg.h"
#include "skintestsupport.h"
#include "host/screenresolution.h"
#include "tests/settings/settingstestsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr COLORREF RED = RGB(220, 0, 0);
constexpr COLORREF BLUE = RGB(0, 0, 220);

struct ActionBoxCase {
    int id;
    DWORD bit;
};

const ActionBoxCase ACTION_BOXES[] = {
    {IDC_CHECK_LOGOFF, 1},       {IDC_CHECK_TURNOFF, 2},    {IDC_CHECK_RESTART, 4},
    {IDC_CHECK_STANDBY, 8},      {IDC_CHECK_HIBERNATE, 16}, {IDC_CHECK_CONFIRM, 32},
    {IDC_CHECK_SWITCHUSER, 128},
};

std::unique_ptr<TestSkinFolder> MakeSkin(const std::string& folder, const std::string& name,
                                         const Bytes& background = {}) {
    auto skin = std::make_unique<TestSkinFolder>(folder);
    std::string description = "[general]\r\n";
    if (!name.empty())
        description += "Name=" + name + "\r\n";
    description += "[images]\r\nBackGround=background.png\r\n";
    skin->WriteText("quiescorskin.ini", description);
    if (!background.empty())
        skin->Write("background.png", background);
    return skin;
}

class SettingsDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        skins.push_back(MakeSkin("SetRed", "Red", SolidPng(313, 198, RED)));
        skins.push_back(MakeSkin("SetBlue", "Blue", SolidPng(600, 100, BLUE)));
        skins.push_back(MakeSkin("SetTwinA", "Twin", SolidPng(20, 20, RED)));
        skins.push_back(MakeSkin("SetTwinB", "Twin", SolidPng(20, 20, BLUE)));
        skins.push_back(MakeSkin("SetNameless", ""));
        skins.push_back(MakeSkin("SetBroken", "Broken"));
        skins.push_back(std::make_unique<TestSkinFolder>("SetEmpty"));
    }
    static void TearDownTestSuite() { skins.clear(); }

    void SetUp() override {
        RegisterHotKeyClass(GetModuleHandleA(nullptr));
        ASSERT_TRUE(shell.Install(GetModuleHandleA(nullptr)));
    }

    INT_PTR Run(std::function<void(HWND)> answer) {
        CDialogDriver driver(std::move(answer));
        return dialog.DoModal(nullptr, GetModuleHandleA(nullptr));
    }
    void UseSkin(const char* name) { lstrcpyA(dialog.skinName, name); }

    static inline std::vector<std::unique_ptr<TestSkinFolder>> skins;
    CSettingsDlg dialog;
    CShellRecorder shell;
};

TEST(PreviewSize, WholePictureFitsItsFrameInItsOwnProportions) {
    auto fit = [](LONG w, LONG h, LONG pw, LONG ph) {
        SIZE size = FitPreviewSize({w, h}, {pw, ph});
        return std::to_string(size.cx) + "x" + std::to_string(size.cy);
    };
    EXPECT_EQ(fit(313, 198, 285, 179), "282x179");
    EXPECT_EQ(fit(510, 198, 285, 179), "285x110");
    EXPECT_EQ(fit(313, 198, 333, 179), "282x179");
    EXPECT_EQ(fit(200, 150, 285, 179), "238x179");
    EXPECT_EQ(fit(313, 198, 313, 198), "313x198");
    EXPECT_EQ(fit(100000, 1, 285, 179), "285x1") << "never shrinks to nothing";
    EXPECT_EQ(fit(0, 0, 285, 179), "0x0");
}

TEST_F(SettingsDialogTest, EveryNamedSkinIsListedWithItsOwnPath) {
    std::vector<SkinItem> items;
    std::string selected;
    Run([&](HWND window) {
        items = ListItems(GetDlgItem(window, IDC_SKINS));
        selected = SelectedText(GetDlgItem(window, IDC_SKINS));
        PressCloseBox(window);
    });
    EXPECT_EQ(selected, "<default>");
    std::vector<std::string> names;
    for (const SkinItem& item : items)
        names.push_back(item.name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"<default>", "Blue", "Broken", "Red", "Twin", "Twin"}));
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0].data, -1);
    EXPECT_NE(items[4].data, items[5].data);

    // Each twin stores its own folder.
    std::vector<std::string> stored;
    for (int twin : {4, 5}) {
        EXPECT_EQ(Run([&](HWND window) {
                      HWND combo = GetDlgItem(window, IDC_SKINS);
                      SendMessageA(combo, CB_SETCURSEL, twin, 0);
                      ClickButton(window, IDOK);
                  }),
                  IDOK);
        stored.push_back(dialog.skinName);
    }
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ(stored, (std::vector<std::string>{"SetTwinA\\quiescorskin.ini",
                                                "SetTwinB\\quiescorskin.ini"}));
}

TEST_F(SettingsDialogTest, StoredSkinIsSelectedAndAVanishedOneFallsBackToDefault) {
    UseSkin("settwinb\\QUIESCORSKIN.INI");
    std::string selected;
    Run([&](HWND window) {
        selected = SelectedText(GetDlgItem(window, IDC_SKINS));
        ClickButton(window, IDOK);
    });
    EXPECT_EQ(selected, "Twin");
    EXPECT_STREQ(dialog.skinName, "SetTwinB\\quiescorskin.ini");

    UseSkin("Gone\\quiescorskin.ini");
    Run([&](HWND window) {
        selected = SelectedText(GetDlgItem(window, IDC_SKINS));
        ClickButton(window, IDOK);
    });
    EXPECT_EQ(selected, "<default>");
    EXPECT_STREQ(dialog.skinName, "");
}

// Cases named "AtScreenDpi" run at the usual resolution and again in children started
// at higher ones: the preview shows the skin as the exit window shows it there.
TEST_F(SettingsDialogTest, AtScreenDpiThePreviewShowsTheSkinsPicturesForTheResolution) {
    constexpr COLORREF GREEN = RGB(0, 200, 0);
    std::unique_ptr<TestSkinFolder> sharp = MakeSkin("SetSharp", "Sharp", SolidPng(313, 198, RED));
    sharp->Write("background@2x.png", SolidPng(626, 396, GREEN));
    const bool high = ScreenDpi() > 96;
    int red = -1, green = -1;
    Run([&](HWND window) {
        ChooseItem(window, IDC_SKINS, "Sharp");
        auto shown = CaptureClient(window);
        red = shown->Count(RED);
        green = shown->Count(GREEN);
        ClickButton(window, IDCANCEL);
    });
    EXPECT_GT(high ? green : red, 1000) << ScreenDpi();
    EXPECT_EQ(high ? red : green, 0) << ScreenDpi();
}

TEST(HighResolutions, SettingsCasesHoldAt144And192Dpi) {
    for (DWORD dpi : {144u, 192u})
        EXPECT_EQ(RunThisProgramAt(dpi, "*AtScreenDpi*"), 0) << "at " << dpi << " DPI";
}

TEST_F(SettingsDialogTest, PreviewRepaintsOnSelectionButNotOnActionBoxes) {
    UseSkin("SetRed\\quiescorskin.ini");
    RECT area = {}, red = {}, blue = {}, blueAfterClick = {}, brokenArea = {};
    int redLeft = -1, redAfterBlue = -1, blueLeftOnBroken = -1;
    Run([&](HWND window) {
        area = DialogItemRect(window, IDC_PREVIEW);
        auto first = CaptureClient(window);
        red = first->ExtentOf(RED);
        redLeft = first->Count(RED);
        ChooseItem(window, IDC_SKINS, "Blue");
        auto second = CaptureClient(window);
        blue = second->ExtentOf(BLUE);
        redAfterBlue = second->Count(RED);
        SendMessageA(GetDlgItem(window, IDC_CHECK_LOGOFF), BM_CLICK, 0, 0);
        blueAfterClick = CaptureClient(window)->ExtentOf(BLUE);
        ChooseItem(window, IDC_SKINS, "Broken");
        auto third = CaptureClient(window);
        blueLeftOnBroken = third->Count(BLUE);
        brokenArea = third->ExtentNot(GetSysColor(COLOR_BTNFACE) & 0xFFFFFF);
        ClickButton(window, IDOK);
    });
    const SIZE areaSize = {area.right - area.left, area.bottom - area.top};
    const SIZE redSize = FitPreviewSize({313, 198}, areaSize);
    const SIZE blueSize = FitPreviewSize({600, 100}, areaSize);
    EXPECT_EQ(red, (RECT{area.left, area.top, area.left + redSize.cx, area.top + redSize.cy}));
    EXPECT_TRUE(redSize.cx == areaSize.cx || redSize.cy == areaSize.cy);
    EXPECT_GT(redLeft, 0);
    EXPECT_EQ(blue, (RECT{area.left, area.top, area.left + blueSize.cx, area.top + blueSize.cy}));
    EXPECT_EQ(redAfterBlue, 0) << "nothing of the taller preview may remain";
    EXPECT_EQ(blueAfterClick, blue);
    EXPECT_EQ(blueLeftOnBroken, 0);
    EXPECT_FALSE(IsRectEmpty(&brokenArea)) << "a skin that does not load previews the default";
    EXPECT_STREQ(dialog.skinName, "SetBroken\\quiescorskin.ini");
}

// What a dialog shows when its first erase is over, before it or any control paints.
class FirstErase {
public:
    FirstErase() {
        current = this;
        hook = SetWindowsHookExA(WH_CALLWNDPROCRET, Hook, nullptr, GetCurrentThreadId());
    }
    ~FirstErase() {
        UnhookWindowsHookEx(hook);
        current = nullptr;
    }
    FirstErase(const FirstErase&) = delete;
    FirstErase& operator=(const FirstErase&) = delete;

    std::unique_ptr<CCanvas> pixels;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        char className[16] = {};
        GetClassNameA(sent->hwnd, className, sizeof className);
        if (code == HC_ACTION && current && !current->pixels && sent->message == WM_ERASEBKGND &&
            lstrcmpA(className, "#32770") == 0) {
            RECT client;
            GetClientRect(sent->hwnd, &client);
            current->pixels = std::make_unique<CCanvas>(client.right, client.bottom);
            WindowDC dc(sent->hwnd);
            BitBlt(current->pixels->Dc(), 0, 0, client.right, client.bottom, dc.Get(), 0, 0,
                   SRCCOPY);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline FirstErase* current = nullptr;
    HHOOK hook = nullptr;
};

// The system may show what a window has drawn after any drawing call: the dialog's first
// erase already holds every control as it paints itself, and the preview.
TEST_F(SettingsDialogTest, TheFirstEraseHoldsEveryControlAndThePreview) {
    UseSkin("SetRed\\quiescorskin.ini");
    FirstErase first;
    std::unique_ptr<CCanvas> painted;
    Run([&](HWND window) {
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        painted = CaptureClient(window);
        ClickButton(window, IDCANCEL);
    });
    ASSERT_TRUE(first.pixels && painted);
    EXPECT_EQ(first.pixels->Differing(*painted), 0);
    EXPECT_GT(first.pixels->Count(RED), 0) << "the preview";
}

TEST_F(SettingsDialogTest, ActionBoxesShowAndCollectTheirBits) {
    for (const ActionBoxCase& box : ACTION_BOXES) {
        SCOPED_TRACE(box.id);
        dialog.actions = box.bit | 64;
        std::vector<int> checked;
        Run([&](HWND window) {
            for (const ActionBoxCase& other : ACTION_BOXES) {
                if (IsChecked(window, other.id))
                    checked.push_back(other.id);
            }
            ClickButton(window, IDOK);
        });
        EXPECT_EQ(checked, std::vector<int>{box.id});
        EXPECT_EQ(dialog.actions, box.bit) << "64 is never collected";
    }

    dialog.actions = 191;
    Run([&](HWND window) {
        for (const ActionBoxCase& box : ACTION_BOXES) {
            if (box.bit != 32)
                SendMessageA(GetDlgItem(window, box.id), BM_CLICK, 0, 0);
        }
        ClickButton(window, IDOK);
    });
    EXPECT_EQ(dialog.actions, 32u) << "every action may be left out";
}

// The field of the template is narrow: three or four modifiers and a key must still be
// read whole, in the font the field reports, with the caret inside it.
TEST_F(SettingsDialogTest, ManyModifiersStayReadableInTheHotKeyField) {
    for (WORD value : {WORD(0x0741), WORD(0x2741), WORD(0x0F00 | VK_NEXT)}) {
        SCOPED_TRACE(value);
        dialog.hotKey = value;
        RECT client = {}, drawn = {};
        POINT caret = {};
        int width = 0;
        std::wstring text;
        Run([&](HWND window) {
            HWND field = GetDlgItem(window, IDC_HOTKEY);
            SetFocus(field);
            GetClientRect(field, &client);
            GetCaretPos(&caret);
            text = CHotKeyCtrl::FromWindow(field)->Text();
            {
                WindowDC dc(field);
                Selection font(dc.Get(),
                               reinterpret_cast<HFONT>(SendMessageA(field, WM_GETFONT, 0, 0)));
                RECT measured = {};
                DrawTextW(dc.Get(), text.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE);
                width = measured.right;
            }
            auto pixels = CaptureClient(field);
            const COLORREF inside = pixels->Pixel(2, 2);
            drawn = pixels->Extent([&](COLORREF c) { return c != inside; },
                                   {2, 2, client.right - 2, client.bottom - 2});
            ClickButton(window, IDCANCEL);
        });
        for (const wchar_t* part : {L"Ctrl", L"Shift", L"Alt"})
            EXPECT_NE(text.find(part), std::wstring::npos) << part;
        EXPECT_LE(4 + width, client.right - 4) << text;
        EXPECT_LE(drawn.right, 4 + width + 1) << "drawn in the font it reports";
        EXPECT_GE(drawn.right - drawn.left, width - 4);
        EXPECT_GE(caret.x, drawn.right - 1);
        EXPECT_LT(caret.x, client.right - 2);
    }
}

TEST_F(SettingsDialogTest, SkinLibraryOpensThroughTheShellAndTheDialogStays) {
    bool openAfterLink = false;
    EXPECT_EQ(Run([&](HWND window) {
                  // A notification under the button's identifier, from a control of
                  // another class in a language module's template, is no click.
                  SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_GET_SKINS, EN_SETFOCUS), 0);
                  SendMessageA(GetDlgItem(window, IDC_GET_SKINS), BM_CLICK, 0, 0);
                  openAfterLink = IsWindowVisible(window);
                  PressEscape(window);
              }),
              IDCANCEL);
    EXPECT_TRUE(openAfterLink);
    ASSERT_EQ(shell.calls.size(), 1u);
    const ShellCall& call = shell.calls[0];
    EXPECT_EQ(call.window, nullptr);
    EXPECT_EQ(call.verb, "open");
    const std::string page = "/skinslib/index.php?show=11";
    ASSERT_GT(call.file.size(), page.size());
    EXPECT_EQ(call.file.substr(call.file.size() - page.size()), page);
    EXPECT_EQ(call.file.substr(0, 7), "http://");
    EXPECT_FALSE(call.withParameters || call.withDirectory);
    EXPECT_EQ(call.show, SW_SHOWNORMAL);
}

} // namespace
