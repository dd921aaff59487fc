// The dialog base, linked into this program: its own module is the program, whose
// resources hold template 4001 and string 4002 but no confirmation template.
#include "plugin/confirmdlg.h"
#include "base/modaldialog.h"
#include "plugin/plugin.h"
#include "host/dialogdriver.h"
#include "host/powerrecorder.h"
#include "host/streams.h"
#include "tests/host/recordingsite.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr int TEST_TEMPLATE = 4001;
constexpr int STATIC_ITEM = 4003;
constexpr int OTHER_BUTTON = 4004;

class CTestDialog : public CModalDialog {
public:
    CTestDialog(int templateId = TEST_TEMPLATE) : CModalDialog(templateId) {}

    int okAnswers = 0;
    int okCalls = 0;
    int initCalls = 0;
    HWND windowAtInit = nullptr;
    std::vector<WPARAM> commands;

protected:
    void OnInitDialog() override {
        ++initCalls;
        windowAtInit = Window();
    }
    bool OnOK() override { return ++okCalls <= okAnswers; }
    void OnCommand(WPARAM wParam) override { commands.push_back(wParam); }
};

HBRUSH staticBrush = nullptr;
WNDPROC staticProc = nullptr;

LRESULT CALLBACK ColouredStatic(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC)
        return reinterpret_cast<LRESULT>(staticBrush);
    return CallWindowProcA(staticProc, window, message, wParam, lParam);
}

TEST(ModalDialog, MissingTemplateEndsAtOnceWithZero) {
    CTestDialog dialog(4242);
    CDialogDriver driver([](HWND dialog) { PressCloseBox(dialog); });
    EXPECT_EQ(dialog.DoModal(nullptr, GetModuleHandleA(nullptr)), 0);
    EXPECT_EQ(dialog.initCalls, 0);
    EXPECT_EQ(driver.DialogsSeen(), 0);
}

TEST(ModalDialog, ConfirmationWithoutAnyTemplateAnswersNothing) {
    CConfirmDlg dialog(GetModuleHandleA(nullptr), 32 + 2);
    EXPECT_EQ(dialog.DoModal(nullptr, GetModuleHandleA(nullptr)), 0);
}

TEST(ModalDialog, PressWithoutAConfirmationTemplateDoesNothing) {
    CPowerRecorder recorder;
    ASSERT_TRUE(recorder.Install(GetModuleHandleA(nullptr)));
    auto* plugin = new CShutdownPlugin();
    CRecordingSite site;
    plugin->SetSite(&site);
    std::vector<BYTE> record(534, 0);
    const DWORD head[3] = {4, 32 + 4, 2};
    std::memcpy(record.data(), head, sizeof head);
    StreamPtr stream = StreamWith(record);
    plugin->Load(stream.Get());

    EXPECT_EQ(plugin->Execute(), S_OK);
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(site.Count("NotifyChanged"), 0u);
    EXPECT_EQ(plugin->Settings().lastAction, 2u);
    plugin->Release();
}

TEST(ModalDialog, OkEndsOnlyWhenTheHandlerAgrees) {
    CTestDialog dialog;
    dialog.okAnswers = 0;
    bool stillOpen = false;
    CDialogDriver driver([&](HWND window) {
        SendMessageA(window, WM_COMMAND, IDOK, 0);
        stillOpen = IsWindowVisible(window) != FALSE;
        dialog.okAnswers = 2;
        SendMessageA(window, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(dialog.DoModal(nullptr, GetModuleHandleA(nullptr)), IDOK);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(dialog.okCalls, 2);
    EXPECT_EQ(dialog.initCalls, 1);
    EXPECT_NE(dialog.windowAtInit, nullptr);
    EXPECT_EQ(dialog.Window(), nullptr) << "the handle is gone with the window";
}

// Notifications under IDOK and IDCANCEL come from controls of other classes that a
// language module's template gives those identifiers: they are no answer.
TEST(ModalDialog, EscapeAndCloseEndWithCancelAndOtherCommandsReachTheHandler) {
    const std::vector<WPARAM> others = {MAKEWPARAM(OTHER_BUTTON, BN_CLICKED),
                                        MAKEWPARAM(IDOK, EN_SETFOCUS),
                                        MAKEWPARAM(IDCANCEL, EN_KILLFOCUS)};
    for (auto answer : {PressEscape, PressCloseBox}) {
        CTestDialog dialog;
        dialog.okAnswers = 1;
        CDialogDriver driver([&](HWND window) {
            for (WPARAM command : others)
                SendMessageA(window, WM_COMMAND, command, 0);
            answer(window);
        });
        EXPECT_EQ(dialog.DoModal(nullptr, GetModuleHandleA(nullptr)), IDCANCEL);
        EXPECT_EQ(dialog.commands, others);
        EXPECT_EQ(dialog.okCalls, 0);
    }
}

TEST(ModalDialog, StaticControlsChooseTheirOwnColours) {
    staticBrush = CreateSolidBrush(RGB(1, 2, 3));
    LRESULT answered = 0;
    CTestDialog dialog;
    CDialogDriver driver([&](HWND window) {
        HWND item = GetDlgItem(window, STATIC_ITEM);
        staticProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(item, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ColouredStatic)));
        HDC dc = GetDC(item);
        answered = SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                reinterpret_cast<LPARAM>(item));
        ReleaseDC(item, dc);
        PressCloseBox(window);
    });
    dialog.DoModal(nullptr, GetModuleHandleA(nullptr));
    EXPECT_EQ(answered, reinterpret_cast<LRESULT>(staticBrush));
    DeleteObject(staticBrush);
}

TEST(ModalDialog, TemplateFallsBackToOwnModuleButTheInstanceStaysTheGivenOne) {
    HMODULE language = LoadLibraryA("lang_1_2_0_0.dll");
    ASSERT_NE(language, nullptr);
    HINSTANCE instance = nullptr;
    CTestDialog dialog;
    CDialogDriver driver([&](HWND window) {
        instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
        PressCloseBox(window);
    });
    EXPECT_EQ(dialog.DoModal(nullptr, language), IDCANCEL);
    EXPECT_EQ(instance, language);
    FreeLibrary(language);
}

TEST(DialogString, ComesFromTheModuleThenFromOwnModuleThenIsEmpty) {
    HMODULE language = LoadLibraryA("lang_1_2_0_0.dll");
    ASSERT_NE(language, nullptr);
    EXPECT_EQ(LoadDialogString(language, 102), L"Wirklich abmelden?");
    EXPECT_EQ(LoadDialogString(language, 4002), L"Only in the program");
    EXPECT_EQ(LoadDialogString(language, 4999), L"");
    EXPECT_EQ(LoadDialogString(nullptr, 102), L"Program's own log-off question");
    FreeLibrary(language);
}

} // namespace
