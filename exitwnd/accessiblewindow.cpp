#include "exitwnd/accessiblewindow.h"

#include "api/actiontable.h"
#include "base/comobject.h"
#include "base/modaldialog.h"
#include "res/resource.h"
#include "tooltip/markupreader.h"
#include "tooltip/markuptags.h"

#include <new>

namespace {

constexpr wchar_t DEFAULT_ACTION[] = L"Press";
constexpr HRESULT DISCONNECTED = CO_E_OBJNOTCONNECTED;
constexpr LONG BUTTON_STATES = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED |
                               STATE_SYSTEM_HOTTRACKED | STATE_SYSTEM_UNAVAILABLE;

// A button is chosen by its letter key; Cancel, which has none, by Escape.
std::wstring ShortcutOf(const ActionRow& button) {
    return button.letter ? std::wstring(1, static_cast<wchar_t>(button.letter))
                         : std::wstring(L"Escape");
}

bool IsLineTag(const MarkupTag* tag) {
    return tag && (tag->kind == MarkupTagKind::LineBreak || tag->kind == MarkupTagKind::Tab);
}

// Words separated by runs of spaces, line breaks or tabs get one space between them.
class CPlainText {
public:
    void Add(const std::u16string& run) {
        for (char16_t c : run) {
            if (c == u' ') {
                gap = true;
                continue;
            }
            if (gap && !text.empty())
                text += L' ';
            gap = false;
            text += static_cast<wchar_t>(c);
        }
    }
    void Break() { gap = true; }
    void Clear() { text.clear(); }
    const std::wstring& Text() const { return text; }

private:
    std::wstring text;
    bool gap = false;
};

// A tip's title stands above its first rule and repeats the name and the key that a
// screen reader says already. A tip without a rule is all description.
std::wstring TipDescription(std::wstring_view markup) {
    const std::u16string text(markup.begin(), markup.end());
    CMarkupReader reader(text);
    CPlainText plain;
    bool ruleSeen = false;
    while (!reader.AtEnd()) {
        const std::u16string run = reader.ReadTextRun();
        if (!run.empty()) {
            plain.Add(run);
            continue;
        }
        std::u16string name = reader.ReadTagName();
        // A closing tag acts as its opening one does where the tooltip draws it.
        if (!name.empty() && name[0] == u'/')
            name.erase(0, 1);
        const MarkupTag* tag = FindMarkupTag(name);
        if (!ruleSeen && tag && tag->kind == MarkupTagKind::Rule) {
            ruleSeen = true;
            plain.Clear();
        } else if (IsLineTag(tag)) {
            plain.Break();
        }
        reader.SkipToTagEnd();
        reader.Advance();
    }
    return plain.Text();
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The empty text is no text: S_FALSE and no string, as the system's objects answer.
// Takes a view: a screen reader's question never allocates on the C++ heap, so nothing can
// throw through the object's methods.
HRESULT ToBstr(std::wstring_view text, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (text.empty())
        return S_FALSE;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

bool PointerOver(HWND window) {
    POINT cursor;
    return GetCursorPos(&cursor) && WindowFromPoint(cursor) == window;
}

} // namespace

// The standard object of a window's client with what the window's facts override. Its
// window and facts are gone once the window is: every call then answers disconnected.
class CClientAccessible final : public ComObject<CClientAccessible, IAccessible, IOleWindow> {
public:
    CClientAccessible(HWND window, IAccessible* standard, const AccessibleFacts* facts)
        : window(window), standard(standard), facts(facts) {}

    void Disconnect() {
        window = nullptr;
        facts = nullptr;
        if (standard)
            standard->Release();
        standard = nullptr;
    }

    // IDispatch: screen readers call the interface directly; late binding would bypass
    // the overrides, so it is not offered.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible: what the window knows of itself.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return OwnText(child, &AccessibleFacts::name, &IAccessible::get_accName, name);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        return OwnText(child, &AccessibleFacts::description, &IAccessible::get_accDescription,
                       description);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return OwnText(child, &AccessibleFacts::shortcut, &IAccessible::get_accKeyboardShortcut,
                       shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!standard)
            return DISCONNECTED;
        if (!IsSelf(child) || facts->role == 0)
            return standard->get_accRole(child, role);
        if (!role)
            return E_POINTER;
        role->vt = VT_I4;
        role->lVal = facts->role;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!standard)
            return DISCONNECTED;
        const HRESULT result = standard->get_accState(child, state);
        if (result != S_OK || !state || !IsSelf(child) || !IsButton() || state->vt != VT_I4)
            return result;
        state->lVal = (state->lVal & ~BUTTON_STATES) | ButtonStates();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!standard)
            return DISCONNECTED;
        if (!IsSelf(child) || !IsButton())
            return standard->get_accDefaultAction(child, action);
        return ToBstr(IsWindowEnabled(window) ? DEFAULT_ACTION : L"", action);
    }
    // The click is posted, so that the caller is answered before the window acts on it.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!standard)
            return DISCONNECTED;
        if (!IsSelf(child) || !IsButton())
            return standard->accDoDefaultAction(child);
        if (!IsWindowEnabled(window))
            return DISP_E_MEMBERNOTFOUND;
        return PostMessageA(window, BM_CLICK, 0, 0) ? S_OK : E_FAIL;
    }

    // IAccessible: the rest as the system's object answers it.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return Forward(&IAccessible::get_accParent, parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        return Forward(&IAccessible::get_accChildCount, count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return Forward(&IAccessible::get_accChild, child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return Forward(&IAccessible::get_accValue, child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return Forward(&IAccessible::get_accHelp, child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return Forward(&IAccessible::get_accHelpTopic, file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        return Forward(&IAccessible::get_accFocus, focus);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return Forward(&IAccessible::get_accSelection, selection);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return Forward(&IAccessible::accSelect, flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        return Forward(&IAccessible::accLocation, left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return Forward(&IAccessible::accNavigate, direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        return Forward(&IAccessible::accHitTest, x, y, child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return Forward(&IAccessible::put_accName, child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return Forward(&IAccessible::put_accValue, child, value);
    }

    // IOleWindow, through which a screen reader finds the window of an object.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
        if (!out)
            return E_POINTER;
        *out = window;
        return window ? S_OK : DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    friend ComObject;
    // IUnknown is IAccessible, whose table begins with IDispatch's.
    static constexpr InterfaceRow INTERFACES[] = {Row<IAccessible>(IID_IAccessible),
                                                  Row<IDispatch>(IID_IDispatch),
                                                  Row<IOleWindow>(IID_IOleWindow)};

    ~CClientAccessible() { Disconnect(); }
    void Destroy() { delete this; }

    bool IsButton() const { return facts->role == ROLE_SYSTEM_PUSHBUTTON; }

    LONG ButtonStates() const {
        if (!IsWindowEnabled(window))
            return STATE_SYSTEM_UNAVAILABLE;
        LONG states = STATE_SYSTEM_FOCUSABLE;
        if (GetFocus() == window)
            states |= STATE_SYSTEM_FOCUSED;
        if (PointerOver(window))
            states |= STATE_SYSTEM_HOTTRACKED;
        return states;
    }

    HRESULT OwnText(VARIANT child, std::wstring AccessibleFacts::*text,
                    HRESULT (STDMETHODCALLTYPE IAccessible::*ask)(VARIANT, BSTR*), BSTR* out) {
        if (!standard)
            return DISCONNECTED;
        if (IsSelf(child) && !(facts->*text).empty())
            return ToBstr(facts->*text, out);
        return (standard->*ask)(child, out);
    }

    template <typename... Params, typename... Args>
    HRESULT Forward(HRESULT (STDMETHODCALLTYPE IAccessible::*method)(Params...), Args... args) {
        return standard ? (standard->*method)(args...) : DISCONNECTED;
    }

    HWND window;
    IAccessible* standard;
    const AccessibleFacts* facts;
};

AccessibleFacts ButtonFacts(HMODULE resourceModule, LONG action, std::wstring_view tipMarkup) {
    AccessibleFacts facts;
    facts.role = ROLE_SYSTEM_PUSHBUTTON;
    facts.description = TipDescription(tipMarkup);
    const ActionRow* button = FindButton(action);
    if (!button)
        return facts;
    facts.name = LoadDialogString(resourceModule, button->captionId);
    facts.shortcut = ShortcutOf(*button);
    return facts;
}

CAccessibleWindow::~CAccessibleWindow() {
    Disconnect();
}

bool CAccessibleWindow::Answer(HWND window, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (closed || static_cast<LONG>(lParam) != OBJID_CLIENT)
        return false;
    if (!object) {
        IAccessible* standard = nullptr;
        if (FAILED(CreateStdAccessibleObject(window, OBJID_CLIENT, IID_IAccessible,
                                             reinterpret_cast<void**>(&standard))) ||
            !standard)
            return false;
        object = new (std::nothrow) CClientAccessible(window, standard, &facts);
        if (!object) {
            standard->Release();
            return false;
        }
    }
    result = LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(object));
    return true;
}

void CAccessibleWindow::Disconnect() {
    closed = true;
    if (!object)
        return;
    object->Disconnect();
    object->Release();
    object = nullptr;
}
