// What a screen reader gets from a window of the test's own that answers WM_GETOBJECT
// through CAccessibleWindow, as the exit window's buttons do.
#include "api/actionflags.h"
#include "base/module.h"
#include "exitwnd/accessiblewindow.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr char WINDOW_CLASS[] = "AccessibleWindowTest";

LRESULT CALLBACK AnsweringProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* accessible =
        reinterpret_cast<CAccessibleWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    LRESULT result = 0;
    if (message == WM_GETOBJECT && accessible && accessible->Answer(window, wParam, lParam, result))
        return result;
    return DefWindowProcA(window, message, wParam, lParam);
}

class AccessibleWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = AnsweringProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = WINDOW_CLASS;
        RegisterClassA(&windowClass);
        window = CreateWindowA(WINDOW_CLASS, "", WS_POPUP, 0, 0, 40, 20, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&accessible));
    }
    void TearDown() override {
        accessible.Disconnect();
        DestroyWindow(window);
        CoUninitialize();
    }

    IAccessible* Object() {
        IAccessible* object = nullptr;
        if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, IID_IAccessible,
                                              reinterpret_cast<void**>(&object))))
            return nullptr;
        return object;
    }

    CAccessibleWindow accessible;
    HWND window = nullptr;
};

// One object whichever interface it is reached through: every IUnknown is the same
// pointer, one count of references is shared, and the last release lets the module go.
TEST_F(AccessibleWindowTest, OneObjectAnswersEachOfItsInterfaces) {
    const LONG objectsBefore = Module::ObjectCount();
    IAccessible* object = Object();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(Module::ObjectCount(), objectsBefore + 1);
    IUnknown* identity = nullptr;
    ASSERT_EQ(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);

    const IID* answered[] = {&IID_IUnknown, &IID_IDispatch, &IID_IAccessible, &IID_IOleWindow};
    for (const IID* iid : answered) {
        IUnknown* asked = nullptr;
        ASSERT_EQ(object->QueryInterface(*iid, reinterpret_cast<void**>(&asked)), S_OK);
        IUnknown* back = nullptr;
        ASSERT_EQ(asked->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back)), S_OK);
        EXPECT_EQ(back, identity);
        back->Release();
        asked->Release();
    }
    IOleWindow* oleWindow = nullptr;
    ASSERT_EQ(object->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&oleWindow)), S_OK);
    HWND reported = nullptr;
    EXPECT_EQ(oleWindow->GetWindow(&reported), S_OK);
    EXPECT_EQ(reported, window);

    for (const IID* refused : {&IID_IClassFactory, &IID_IEnumVARIANT, &IID_IServiceProvider}) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(object->QueryInterface(*refused, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    // The window keeps its own reference until it is disconnected.
    identity->Release();
    object->Release();
    oleWindow->Release();
    EXPECT_EQ(Module::ObjectCount(), objectsBefore + 1);
    accessible.Disconnect();
    EXPECT_EQ(Module::ObjectCount(), objectsBefore);
}

// What a tip says after its first rule, its line breaks and tabs heard as spaces,
// whatever the case its tags are written in.
TEST(ButtonFacts, DescriptionIsTheTipAfterItsFirstRule) {
    const struct {
        const wchar_t* markup;
        const wchar_t* heard;
    } cases[] = {
        {L"<b>Turn off (T)</b><br><hr=100%><br>Shuts down Windows.", L"Shuts down Windows."},
        {L"<B>Title</B><BR><HR>one<Br>two\tthree<T>four\nfive", L"one two three four five"},
        {L"no rule<br>at all", L"no rule at all"},
        {L"Title</hr>after a closing rule", L"after a closing rule"},
        {L"<hrx>not a rule<cb=FF0000>", L"not a rule"},
    };
    for (const auto& c : cases) {
        const AccessibleFacts facts =
            ButtonFacts(GetModuleHandleA(nullptr), ACTION_TURNOFF, c.markup);
        EXPECT_EQ(facts.description, c.heard) << static_cast<int>(&c - cases);
    }
}

} // namespace
