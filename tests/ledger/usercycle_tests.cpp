// Every cycle a user or the host puts the plug-in through, again and again, with the
// handle ledger on its imports: nothing it makes may outlive the cycle, and its private
// memory must settle after the first cycles.
#include "res/resource.h"
#include "host/dialogdriver.h"
#include "tests/host/exitwindowinput.h"
#include "tests/host/pluginfixture.h"
#include "host/settingsrecord.h"
#include "tests/ledger/cyclerunner.h"
#include "tests/ledger/ledgerhooks.h"
#include "tests/ledger/usercyclefixture.h"
#include "tests/settings/settingstestsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// In the exit window only the tip's picture is: the default skin's buttons are 32 and
// 73 pixels wide.
constexpr LONG WIDER_THAN_ANY_BUTTON = 128;
// The deliberate leak runs this often whatever the soak asks: its bitmaps stay in the
// process's memory after they are freed, and would raise every later run's figures.
constexpr int LEAK_CYCLES = WARM_UP_CYCLES + 40;

// Stands between the module and the ledger's DeleteObject and keeps one device bitmap of
// each cycle at least so wide: a leak made on purpose, as a paint routine that forgets
// one would make.
class CBitmapSwallower {
public:
    bool Install(HMODULE module) {
        self = this;
        return patch.Install(module, "gdi32.dll", "DeleteObject", reinterpret_cast<void*>(Delete));
    }
    ~CBitmapSwallower() {
        patch.Remove();
        self = nullptr;
        for (HGDIOBJ bitmap : kept)
            DeleteObject(bitmap);
    }
    void SwallowOne(LONG minimumWidth) {
        swallowNext = true;
        widthAtLeast = minimumWidth;
    }

    std::vector<HGDIOBJ> kept;
    SIZE size = {};

private:
    static BOOL WINAPI Delete(HGDIOBJ object) {
        auto passOn = reinterpret_cast<BOOL(WINAPI*)(HGDIOBJ)>(self->patch.Original());
        DIBSECTION section = {};
        const bool deviceBitmap = GetObjectType(object) == OBJ_BITMAP &&
                                  GetObjectA(object, sizeof section, &section) == sizeof(BITMAP);
        if (!self->swallowNext || !deviceBitmap || section.dsBm.bmWidth < self->widthAtLeast)
            return passOn(object);
        self->size = {section.dsBm.bmWidth, section.dsBm.bmHeight};
        self->swallowNext = false;
        self->kept.push_back(object);
        return TRUE;
    }

    static inline CBitmapSwallower* self = nullptr;
    CImportPatch patch;
    bool swallowNext = false;
    LONG widthAtLeast = 0;
};

// True when the instruction before the entry's call site is a call through the module's
// import slot that now holds the ledger's hook of the entry's creator: the site is where
// the module asked for the object.
bool CallsThroughTheLedger(HMODULE module, const LedgerEntry& entry) {
    const BYTE* after = reinterpret_cast<const BYTE*>(module) + entry.callSite;
    if (after[-6] != 0xFF || after[-5] != 0x15)
        return false;
    void* const* slot = *reinterpret_cast<void* const* const*>(after - 4);
    for (const LedgerHook& hook : LedgerHooks()) {
        if (std::strcmp(hook.function, entry.creator) == 0)
            return *slot == hook.replacement;
    }
    return false;
}

TEST_F(UserCycleTest, ExitWindowClosedByEscapeAClickOrALetter) {
    Soak("exit window, tip, Escape", [&] {
        ExitWindowCycle([](HWND window, HWND) { PressKey(window, VK_ESCAPE); });
        EXPECT_TRUE(recorder.calls.empty());
    });
    Soak("exit window, tip, click on turn off", [&] {
        ExitWindowCycle([](HWND, HWND hovered) { ClickOn(hovered); });
        EXPECT_EQ(recorder.calls.size(), 1u);
    });
    Soak("exit window, tip, letter R", [&] {
        ExitWindowCycle([](HWND window, HWND) { PressKey(window, 'R'); });
        ASSERT_EQ(recorder.calls.size(), 1u);
        EXPECT_EQ(recorder.calls[0].first, static_cast<DWORD>(EWX_REBOOT));
    });
}

TEST_F(UserCycleTest, ALeakOfOneBitmapPerCycleIsCaughtWithWhereItWasMade) {
    CBitmapSwallower swallower;
    ASSERT_TRUE(swallower.Install(library->Module()));
    ExitWindowCycle([](HWND window, HWND) { PressKey(window, VK_ESCAPE); });
    const CycleRun run =
        RunCycles(ledger, "exit window, one bitmap leaked on purpose", LEAK_CYCLES, [&] {
            swallower.SwallowOne(WIDER_THAN_ANY_BUTTON);
            ExitWindowCycle([](HWND window, HWND) { PressKey(window, VK_ESCAPE); });
        });
    AddToSoakTable(run);
    std::printf("leaked one %ldx%ld bitmap per cycle; private memory grew %lld bytes after the "
                "warm-up\n%s",
                swallower.size.cx, swallower.size.cy, run.Growth(), run.leakReport.c_str());

    EXPECT_EQ(run.firstLeakAt, 1);
    EXPECT_EQ(run.Net(), run.count);
    ASSERT_EQ(run.leftAlive.size(), swallower.kept.size());
    for (const LedgerEntry& entry : run.leftAlive) {
        EXPECT_EQ(entry.kind, LedgerKind::Bitmap);
        EXPECT_NE(std::find(swallower.kept.begin(), swallower.kept.end(),
                            reinterpret_cast<HGDIOBJ>(entry.handle)),
                  swallower.kept.end());
        EXPECT_TRUE(CallsThroughTheLedger(library->Module(), entry))
            << ledger.Describe(entry) << " names no call into the ledger's hook";
    }
    EXPECT_NE(run.leakReport.find("made by CreateCompatibleBitmap at quiescor.dll+0x"),
              std::string::npos);
    EXPECT_NE(run.leakReport.find(".cpp: "), std::string::npos) << "named from the linker's map";
    EXPECT_GT(run.Growth(), AllowedGrowth(run)) << "the memory check alone would catch it too";
    // The swallower deletes what it kept; the object is held to everything else.
    for (HGDIOBJ bitmap : swallower.kept)
        ledger.Release({LedgerKind::Bitmap}, reinterpret_cast<UINT_PTR>(bitmap), nullptr, {});
}

TEST_F(UserCycleTest, PicturesInATipFromALanguageModule) {
    HMODULE pictures = LoadLibraryA(QUIESCOR_PICTURES_LANGUAGE_PATH);
    ASSERT_NE(pictures, nullptr);
    plugin->SetResourceModule(0, pictures);
    const CycleRun run = Soak("exit window, tip with pictures, Escape", [&] {
        ExitWindowCycle([](HWND window, HWND) { PressKey(window, VK_ESCAPE); });
    });
    const auto made = [&](LedgerKind kind) { return run.made.created[static_cast<size_t>(kind)]; };
    EXPECT_GE(made(LedgerKind::Icon), 2u * run.count) << "two icons in each tip";
    EXPECT_GE(made(LedgerKind::ImageList), 1u * run.count) << "the masked bitmap";
    plugin->SetResourceModule(0, nullptr);
    FreeLibrary(pictures);
}

// Yes to switch user: the plug-in looks up LockWorkStation in a library it loads.
TEST_F(UserCycleTest, ConfirmationAnsweredNoAndYes) {
    Soak("confirmation, No", [&] {
        Use(32 + 4);
        EXPECT_EQ(Press([](HWND dialog) { ClickButton(dialog, QUESTION_NO); }), 1);
        EXPECT_TRUE(recorder.calls.empty());
    });
    Soak("confirmation, Yes to switch user", [&] {
        Use(32 + 128);
        EXPECT_EQ(Press([](HWND dialog) { ClickButton(dialog, QUESTION_YES); }), 1);
        ASSERT_EQ(recorder.calls.size(), 1u);
        EXPECT_EQ(recorder.calls[0].function, "LockWorkStation");
    });
}

TEST_F(UserCycleTest, SettingsWithASkinAndTheAboutBoxThenOkOrCancel) {
    plugin->SetSite(&site);
    Use(191, "Glass\\quiescorskin.ini");
    for (int close : {IDOK, IDCANCEL}) {
        const bool ok = close == IDOK;
        Soak(ok ? "settings, skin, about, OK" : "settings, skin, about, Cancel", [&] {
            SettingsCycle(close);
            EXPECT_EQ(site.Count("NotifyChanged"), ok ? 1u : 0u);
        });
    }
}

TEST_F(UserCycleTest, IconsPropertiesAndTheSettingsStream) {
    Soak("icons, own and from a file", [&] { IconsCycle(); });
    Soak("properties", [&] {
        for (DWORD id : {PROP_ONE, PROP_HOST_DATA, PROP_ONE_TOO, PROP_ZERO}) {
            BYTE out[64] = {};
            EXPECT_EQ(plugin->GetProperty(id, 0, out), S_OK);
        }
        CaptionRecord record = {};
        EXPECT_EQ(plugin->GetProperty(PROP_CAPTION_RECORD, 7, &record), S_OK);
        WCHAR* copy = nullptr;
        EXPECT_EQ(plugin->GetProperty(PROP_CAPTION_COPY, 0, &copy), S_OK);
        CoTaskMemFree(copy);
        char location[MAX_PATH] = {};
        plugin->GetIconLocation(location);
    });
    Soak("Save and Load", [&] {
        SettingsRecord record;
        record.skinName = "Graphite\\quiescorskin.ini";
        record.hotKey = 0x0641;
        LoadBytes(record.Bytes());
        EXPECT_EQ(Saved(), record.Bytes());
    });
}

TEST_F(UserCycleTest, ALanguageModuleAndBack) {
    HMODULE german = LoadLibraryA(QUIESCOR_GERMAN_PATH);
    ASSERT_NE(german, nullptr);
    Soak("SetResourceModule, German and back", [&] { LanguageCycle(german); });
    FreeLibrary(german);
}

TEST_F(UserCycleTest, ObjectsMadeAndReleasedUntilTheModuleMayUnload) {
    plugin->Release();
    plugin = nullptr;
    Soak("objects made and released, unload", [&] {
        IClassFactory* factory = nullptr;
        ASSERT_EQ(library->GetClassObject(CLSID_ShutdownPlugin, IID_IClassFactory,
                                          reinterpret_cast<void**>(&factory)),
                  S_OK);
        EXPECT_EQ(factory->LockServer(TRUE), E_NOTIMPL) << "keeps nothing loaded";
        std::vector<IHostPlugin*> objects;
        for (int k = 0; k < 3; ++k) {
            IHostPlugin* object = nullptr;
            factory->CreateInstance(nullptr, IID_IHostPlugin, reinterpret_cast<void**>(&object));
            ASSERT_NE(object, nullptr);
            object->SetSite(&site);
            ButtonInfo info = {};
            info.mask = BIM_ICON;
            object->GetButtonInfo(&info);
            objects.push_back(object);
        }
        factory->Release();
        for (IHostPlugin* object : objects) {
            EXPECT_EQ(library->CanUnloadNow(), S_FALSE) << "objects alive";
            object->Release();
        }
        EXPECT_EQ(library->CanUnloadNow(), S_OK);
    });
}

} // namespace
