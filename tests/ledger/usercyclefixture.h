// The fixture of the user cycles: one object of the built plug-in with the handle ledger
// on its imports, and the cycles a user or the host puts it through.
#pragma once

#include "res/resource.h"
#include "host/dialogdriver.h"
#include "tests/host/exitwindowinput.h"
#include "tests/host/pluginfixture.h"
#include "tests/ledger/cyclerunner.h"
#include "tests/ledger/handleledger.h"
#include "tests/settings/settingstestsupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

constexpr LONG TURN_OFF_BUTTON = 2;
constexpr int QUESTION_NO = IDCANCEL;
constexpr int QUESTION_YES = IDOK;

class UserCycleTest : public PluginPressTest {
protected:
    static void TearDownTestSuite() {
        std::printf("%s", SoakTable().c_str());
        PluginPressTest::TearDownTestSuite();
    }

    void SetUp() override {
        PluginPressTest::SetUp();
        ASSERT_TRUE(ledger.Install(library->Module(), QUIESCOR_MAP_PATH));
    }

    // The object's caches go with it: once it is released nothing it made is left.
    void TearDown() override {
        if (plugin)
            plugin->Release();
        plugin = nullptr;
        EXPECT_TRUE(ledger.Alive().empty()) << "left by the released object:\n" << ledger.Report();
        PluginPressTest::TearDown();
    }

    // Runs the cycle as often as the soak asks and expects nothing left after any but what
    // the object keeps from a first, uncounted cycle (its caches of the skin's pictures).
    CycleRun Soak(const std::string& name, const std::function<void()>& cycle) {
        const auto clean = [&] {
            cycle();
            site.calls.clear();
            recorder.calls.clear();
        };
        clean();
        const CycleRun run = RunCycles(ledger, name, SoakCycles(), clean);
        AddToSoakTable(run);
        EXPECT_EQ(run.firstLeakAt, 0) << name << ": after cycle " << run.firstLeakAt << "\n"
                                      << run.leakReport;
        EXPECT_EQ(run.Net(), 0);
        EXPECT_LE(run.Growth(), AllowedGrowth(run))
            << name << ": private memory grew after the warm-up";
        return run;
    }

    // Presses the plug-in's button; answer gets each dialog that opens.
    int Press(std::function<void(HWND)> answer) {
        CDialogDriver driver(std::move(answer));
        plugin->Execute();
        return driver.DialogsSeen();
    }

    // The exit window with every action, a tip shown on turn off, then closed by leave.
    void ExitWindowCycle(const std::function<void(HWND window, HWND hovered)>& leave) {
        Use(191);
        bool shown = false;
        EXPECT_EQ(Press([&](HWND window) {
                      HWND button = ButtonWithId(window, TURN_OFF_BUTTON);
                      shown = HoverUntilTheTipShows(button);
                      leave(window, button);
                  }),
                  1);
        EXPECT_TRUE(shown) << "the turn-off tip never showed";
    }

    // Opens the settings, picks the other sample skin, types in the hot-key field, opens
    // the about box, and leaves the settings with close.
    void SettingsCycle(int close) {
        HWND settings = nullptr;
        int dialogs = 0;
        {
            CDialogDriver driver([&](HWND dialog) {
                if (settings) {
                    ClickButton(dialog, IDOK);
                    PostMessageA(settings, WM_COMMAND, close, 0);
                    return;
                }
                settings = dialog;
                const bool onGlass = SelectedText(GetDlgItem(dialog, IDC_SKINS)) == "Glass";
                EXPECT_TRUE(ChooseItem(dialog, IDC_SKINS, onGlass ? "Graphite" : "Glass"));
                HWND hotKey = GetDlgItem(dialog, IDC_HOTKEY);
                SetFocus(hotKey);
                SendKey(hotKey, 'Q', true);
                SendKey(hotKey, 'Q', false);
                SetFocus(GetDlgItem(dialog, IDC_SKINS));
                ClickButton(dialog, IDC_ABOUT_BUTTON);
            });
            plugin->Configure(1);
            dialogs = driver.DialogsSeen();
        }
        EXPECT_EQ(dialogs, 2) << "the settings and the about box";
    }

    // The button's icons of both sizes, the plug-in's own and from a file, and the big one.
    void IconsCycle() {
        char ownIcon[MAX_PATH] = {};
        plugin->GetIconLocation(ownIcon);
        for (const std::string& location : {std::string(), std::string(ownIcon)}) {
            plugin->SetIconLocation(location.c_str());
            for (bool large : {false, true}) {
                site.UseLargeIcons(large);
                ButtonInfo info = {};
                info.mask = BIM_ICON | BIM_CAPTION;
                plugin->GetButtonInfo(&info);
                EXPECT_NE(info.icon, nullptr) << location;
            }
            HICON big = nullptr;
            plugin->GetProperty(PROP_BIG_ICON, 0, &big);
            EXPECT_NE(big, nullptr) << location;
        }
        plugin->SetIconLocation("");
    }

    // The question asked in the language module's words, answered No, and back.
    void LanguageCycle(HMODULE language) {
        EXPECT_EQ(plugin->SetResourceModule(0, language), S_OK);
        Use(32 + 1);
        std::string caption;
        Press([&](HWND dialog) {
            caption = WindowText(dialog);
            ClickButton(dialog, QUESTION_NO);
        });
        EXPECT_NE(caption, "Exit Windows") << "the German question";
        EXPECT_EQ(plugin->SetResourceModule(0, nullptr), S_OK);
    }

    CHandleLedger ledger;
};
