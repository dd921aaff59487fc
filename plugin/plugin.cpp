#include "plugin/plugin.h"

#include "api/actiontable.h"
#include "base/fileversion.h"
#include "base/fixedtext.h"
#include "base/guard.h"
#include "base/module.h"
#include "plugin/availabilityquery.h"
#include "plugin/confirmdlg.h"
#include "plugin/poweractions.h"
#include "exitwnd/exitwindow.h"
#include "exitwnd/screenarea.h"
#include "res/resource.h"
#include "settings/hotkeyctrl.h"
#include "settings/settingsdlg.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <climits>
#include <cstring>
#include <iterator>
#include <utility>

namespace {

constexpr DWORD BUTTON_STYLE = 37;
constexpr int SMALL_ICON_SIZE = 16;
constexpr int LARGE_ICON_SIZE = 32;

// Reads until the bytes are whole, as a stream may hand them over in pieces: S_OK, or
// S_FALSE when the stream ends first, or the stream's failure.
HRESULT ReadWhole(IStream* stream, void* bytes, ULONG size, ULONG& got) {
    got = 0;
    while (got < size) {
        ULONG read = 0;
        HRESULT hr = stream->Read(static_cast<BYTE*>(bytes) + got, size - got, &read);
        if (FAILED(hr))
            return hr;
        if (read == 0 || read > size - got)
            return S_FALSE;
        got += read;
    }
    return S_OK;
}

// A field read whole, or the reason it was not: a read that fails or ends early leaves
// the stream at an unknown place, so nothing after it can be trusted either.
template <typename T> HRESULT ReadField(IStream* stream, T& field) {
    ULONG got = 0;
    const HRESULT hr = ReadWhole(stream, &field, sizeof field, got);
    return hr == S_FALSE ? STG_E_READFAULT : hr;
}

template <size_t N> HRESULT ReadText(IStream* stream, char (&text)[N]) {
    HRESULT hr = ReadField(stream, text);
    text[N - 1] = '\0'; // the stream comes from outside: never trust its terminator
    return hr;
}

void ClearNames(PluginSettings& settings) {
    settings.iconLocation[0] = '\0';
    settings.skinName[0] = '\0';
}

// The record as the stream holds it, over the one it replaces.
HRESULT ReadSettings(IStream* stream, PluginSettings& settings) {
    DWORD version = 0;
    ULONG got = 0;
    HRESULT hr = ReadWhole(stream, &version, sizeof version, got);
    // A new button's stream is empty: it reads as version 0, which has no names.
    if (hr == S_FALSE && got == 0) {
        ClearNames(settings);
        return S_OK;
    }
    if (hr == S_FALSE)
        return STG_E_READFAULT;
    if (FAILED(hr) || FAILED(hr = ReadField(stream, settings.flags)) ||
        FAILED(hr = ReadField(stream, settings.lastAction)))
        return hr;
    if (version < 2) {
        ClearNames(settings);
        return S_OK;
    }
    if (FAILED(hr = ReadText(stream, settings.iconLocation)) || version < 3)
        return hr;
    if (FAILED(hr = ReadText(stream, settings.skinName)))
        return hr;
    return ReadField(stream, settings.hotKey);
}

template <typename T> HRESULT WriteField(IStream* stream, const T& field) {
    ULONG written = 0;
    HRESULT hr = stream->Write(&field, sizeof field, &written);
    if (SUCCEEDED(hr) && written != sizeof field)
        return STG_E_MEDIUMFULL;
    return hr;
}

bool IsAcceptedLanguageModule(HMODULE module) {
    FileVersion version;
    return ReadModuleVersion(module, version) && version == LANGUAGE_MODULE_VERSION;
}

// The plug-in's own button icon, of one size.
IconHandle ButtonIcon(int size) {
    return IconHandle(static_cast<HICON>(LoadImageA(Module::Handle(), MAKEINTRESOURCEA(IDI_BUTTON),
                                                    IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

int CountActions(DWORD flags) {
    int count = 0;
    for (const ActionRow& row : ACTIONS) {
        if (flags & row.bit)
            ++count;
    }
    return count;
}

} // namespace

// Holds a reference while a call runs a dialog: the host may drop its own meanwhile (the
// user removes the button), and the object must outlive the call all the same.
class CShutdownPlugin::KeepAlive {
public:
    explicit KeepAlive(CShutdownPlugin& plugin) : plugin(plugin) {
        plugin.AddRef();
        ++plugin.heldByCalls;
    }
    ~KeepAlive() {
        --plugin.heldByCalls;
        plugin.Release();
    }
    KeepAlive(const KeepAlive&) = delete;
    KeepAlive& operator=(const KeepAlive&) = delete;

private:
    CShutdownPlugin& plugin;
};

template <typename Work> HRESULT CShutdownPlugin::WhileAlive(Work&& work) {
    KeepAlive alive(*this);
    return Guarded([this] { return Forget(); }, std::forward<Work>(work));
}

CShutdownPlugin::CShutdownPlugin() : resourceModule(Module::Handle()) {}

CShutdownPlugin::~CShutdownPlugin() {
    DropIcons();
    BindHotKey(0);
}

void* __thiscall CShutdownPlugin::ScalarDeletingDestructor(UINT flags) {
    this->~CShutdownPlugin();
    if (flags & DESTRUCTOR_FREE_MEMORY)
        ::operator delete(this);
    return this;
}

HRESULT STDMETHODCALLTYPE CShutdownPlugin::Load(IStream* stream) {
    if (stream) {
        // Nothing half-read is used: a failed field would shift every one after it.
        PluginSettings loaded = settings;
        HRESULT hr = ReadSettings(stream, loaded);
        if (FAILED(hr))
            return hr;
        settings = loaded;
    }
    BindHotKey(settings.hotKey);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CShutdownPlugin::Save(IStream* stream) {
    if (!stream)
        return S_OK;
    // A full disk must not lose the user's settings silently: the host hears of it.
    HRESULT hr = WriteField(stream, PLUGIN_STREAM_VERSION);
    if (SUCCEEDED(hr))
        hr = WriteField(stream, settings.flags);
    if (SUCCEEDED(hr))
        hr = WriteField(stream, settings.lastAction);
    if (SUCCEEDED(hr))
        hr = WriteField(stream, settings.iconLocation);
    if (SUCCEEDED(hr))
        hr = WriteField(stream, settings.skinName);
    if (SUCCEEDED(hr))
        hr = WriteField(stream, settings.hotKey);
    return FAILED(hr) ? hr : S_OK;
}

HRESULT STDMETHODCALLTYPE CShutdownPlugin::SetHostData(const void* data) {
    if (data)
        std::memcpy(hostData, data, sizeof hostData);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CShutdownPlugin::SetSite(IHostSite* newSite) {
    site = newSite;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CShutdownPlugin::StoreHostValue(DWORD value) {
    hostValue = value;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CShutdownPlugin::ConfigureAndSave(IStream* stream) {
    return WhileAlive([&] {
        CSettingsDlg dialog;
        if (!RunSettingsDialog(dialog) || Abandoned())
            return S_FALSE;
        TakeSettings(dialog);
        HRESULT saved = Save(stream);
        return FAILED(saved) ? saved : S_OK;
    });
}

HRESULT STDMETHODCALLTYPE CShutdownPlugin::StoreHostPointer(DWORD value, DWORD* out) {
    hostPointer = value;
    if (out)
        *out = 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CShutdownPlugin::Execute() {
    if (busy)
        return S_OK;
    busy = true;
    const HRESULT pressed = WhileAlive([&] {
        // Asked at every press: a policy or a hibernation file may have come or gone.
        const CActionAvailability now = QueryActionAvailability();
        // A choice made in the window of a button that was removed meanwhile is dropped.
        DWORD action = ChooseAction(now);
        if (action && !Abandoned()) {
            if (action != settings.lastAction) {
                settings.lastAction = action;
                if (site)
                    site->NotifyChanged();
            }
            if (!Abandoned())
                PerformAction(RequestFor(action, now));
        }
        return S_OK;
    });
    busy = false;
    return pressed;
}

HRESULT STDMETHODCALLTYPE CShutdownPlugin::Configure(DWORD mode) {
    if (mode != 1)
        return S_OK;
    return WhileAlive([&] {
        CSettingsDlg dialog;
        if (!RunSettingsDialog(dialog) || Abandoned())
            return S_OK;
        // The host binds by value: the old binding goes while the settings still hold it.
        BindHotKey(0);
        TakeSettings(dialog);
        BindHotKey(settings.hotKey);
        return site ? site->NotifyChanged() : S_OK;
    });
}

HRESULT STDMETHODCALLTYPE CShutdownPlugin::SetCaption(LPCSTR text) {
    if (text)
        CopyText(caption, text);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CShutdownPlugin::SetResourceModule(DWORD, HMODULE module) {
    resourceModule = module && IsAcceptedLanguageModule(module) ? module : Module::Handle();
    // Another module loaded where the last one was has the same handle and other texts.
    skinCache.ForgetText();
    RegisterHotKeyClass(resourceModule);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CShutdownPlugin::GetIconLocation(LPSTR buffer) {
    if (!buffer)
        return S_OK;
    if (settings.iconLocation[0]) {
        lstrcpyA(buffer, settings.iconLocation);
        return S_OK;
    }
    // A cut path would name another file: when the whole one does not fit the host's
    // buffer with ",2", the location is empty.
    constexpr char INDEX[] = ",2";
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(Module::Handle(), path, MAX_PATH);
    if (length == 0 || length + sizeof INDEX > MAX_PATH) {
        buffer[0] = '\0';
        return S_OK;
    }
    std::memcpy(buffer, path, length);
    std::memcpy(buffer + length, INDEX, sizeof INDEX);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CShutdownPlugin::SetIconLocation(LPCSTR location) {
    if (!location)
        return S_OK;
    CopyText(settings.iconLocation, location);
    DropIcons();
    if (site) {
        site->NotifyChanged();
        site->RefreshButton(HOST_BUTTON_SLOT);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CShutdownPlugin::GetButtonInfo(ButtonInfo* info) {
    if (!info)
        return S_OK;
    if (info->mask & BIM_ZERO_WORD)
        info->zeroWord = 0;
    if (info->mask & (BIM_ICON | BIM_ICON_ALT))
        info->icon = ViewSizeIcon();
    if (info->mask & BIM_STYLE)
        info->style = BUTTON_STYLE;
    if (info->mask & BIM_CAPTION)
        lstrcpyA(info->caption, caption);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CShutdownPlugin::GetProperty(DWORD id, DWORD value, void* out) {
    switch (id) {
    case PROP_ONE:
    case PROP_ONE_TOO:
        if (out)
            *static_cast<DWORD*>(out) = 1;
        return S_OK;
    case PROP_ZERO:
        if (out)
            *static_cast<DWORD*>(out) = 0;
        return S_OK;
    case PROP_HOST_DATA:
        if (out)
            std::memcpy(out, hostData, sizeof hostData);
        return S_OK;
    case PROP_CAPTION_RECORD:
        if (out) {
            auto* record = static_cast<CaptionRecord*>(out);
            const int room = static_cast<int>(std::size(record->caption));
            MultiByteToWideChar(CP_ACP, 0, caption, -1, record->caption, room);
            record->caption[room - 1] = L'\0';
            record->hotKey = settings.hotKey;
            record->value = value;
        }
        return S_OK;
    case PROP_BIG_ICON:
        if (out)
            *static_cast<HICON*>(out) = BigIcon();
        return S_OK;
    case PROP_CAPTION_COPY:
        if (out) {
            int length = lstrlenA(caption);
            auto* copy = static_cast<WCHAR*>(CoTaskMemAlloc(2 * length + 2));
            if (copy) {
                int written = MultiByteToWideChar(CP_ACP, 0, caption, length, copy, length);
                copy[written] = L'\0';
            }
            *static_cast<WCHAR**>(out) = copy;
        }
        return S_OK;
    case PROP_EXECUTE:
        Execute();
        return S_OK;
    default:
        return S_FALSE;
    }
}

void CShutdownPlugin::PerformAction(PowerRequest request) {
    // Ending other people's sessions is asked first, as Windows itself asks.
    const bool endsSessions = request.action == ACTION_TURNOFF || request.action == ACTION_RESTART;
    if (endsSessions && OtherUsersSignedIn()) {
        if (!AskToEndOtherSessions(OwnerWindow(), resourceModule, request.action))
            return;
        request.forceOtherSessions = true;
    }
    PowerResult result = PerformPowerAction(request);
    if (result.refused)
        ReportRefusedAction(OwnerWindow(), resourceModule, request.action, result.error);
}

// The action the user asked for, or 0. What policy removed is not offered; what cannot
// be done is shown but never chosen, and a press with nothing possible says why.
DWORD CShutdownPlugin::ChooseAction(const CActionAvailability& now) {
    const DWORD enabled = settings.flags & ALL_ACTIONS;
    if (enabled == 0)
        return 0;
    const DWORD offered = enabled & ~now.Removed();
    const DWORD possible = offered & ~now.Unavailable();
    if (possible == 0) {
        if (CountActions(enabled) == 1)
            ReportImpossibleAction(OwnerWindow(), resourceModule, enabled, now);
        else
            ReportNothingPossible(OwnerWindow(), resourceModule);
        return 0;
    }
    if (CountActions(offered) > 1)
        return ChooseInExitWindow(offered, now);
    if (!(settings.flags & OPTION_CONFIRM))
        return possible;
    CConfirmDlg dialog(resourceModule, possible | OPTION_CONFIRM);
    return dialog.DoModal(OwnerWindow(), resourceModule) == IDOK ? possible : 0;
}

DWORD CShutdownPlugin::ChooseInExitWindow(DWORD offered, const CActionAvailability& now) {
    const DWORD flags = offered | (settings.flags & ~ALL_ACTIONS);
    CExitWindow window;
    window.SetResourceModule(resourceModule);
    window.SetActions(flags);
    window.SetAvailability(now);
    const CScreenArea screen = CScreenArea::Of(OwnerWindow());
    window.UseLayout(
        skinCache.LaidOut(settings.skinName, resourceModule, flags, screen.Fit(), now.Removed()),
        screen.WorkArea());
    return window.DoModal(OwnerWindow(), resourceModule) == IDOK ? window.Actions() : 0;
}

// A call that ran out of memory half-way may have left the skin it keeps half-made: the
// next press starts again from the files.
HRESULT CShutdownPlugin::Forget() noexcept {
    skinCache = CSkinCache();
    return E_OUTOFMEMORY;
}

HWND CShutdownPlugin::OwnerWindow() {
    return site ? site->GetParentWindow() : nullptr;
}

bool CShutdownPlugin::RunSettingsDialog(CSettingsDlg& dialog) {
    HWND owner = OwnerWindow();
    dialog.actions = settings.flags;
    dialog.hotKey = settings.hotKey;
    CopyText(dialog.skinName, settings.skinName);
    dialog.UseSkinCache(&skinCache);
    dialog.SetAvailability(QueryActionAvailability());
    // The template needs the hot-key class even when the host never chose a module.
    RegisterHotKeyClass(resourceModule);
    return dialog.DoModal(owner, resourceModule) == IDOK;
}

void CShutdownPlugin::TakeSettings(const CSettingsDlg& dialog) {
    CopyText(settings.skinName, dialog.skinName);
    settings.flags = dialog.actions;
    settings.hotKey = dialog.hotKey;
}

void CShutdownPlugin::BindHotKey(WORD hotKey) {
    if (site)
        site->SetHotKey(HOST_BUTTON_SLOT, hotKey, 0);
}

HICON CShutdownPlugin::ViewSizeIcon() {
    if (!site)
        return nullptr;
    ViewInfo view = {};
    site->GetViewInfo(&view);
    bool large = (view.words[2] & VIEW_LARGE_ICONS) != 0;
    IconHandle& cache = large ? largeIcon : smallIcon;
    if (cache)
        return cache.Get();
    if (settings.iconLocation[0]) {
        cache = ExtractFromLocation(large);
    } else {
        cache = ButtonIcon(large ? LARGE_ICON_SIZE : SMALL_ICON_SIZE);
    }
    return cache.Get();
}

HICON CShutdownPlugin::BigIcon() {
    if (bigIcon)
        return bigIcon.Get();
    if (!settings.iconLocation[0]) {
        bigIcon = ButtonIcon(LARGE_ICON_SIZE);
        return bigIcon.Get();
    }
    bigIcon = ExtractFromLocation(true);
    return bigIcon ? bigIcon.Get() : ViewSizeIcon();
}

// The icon of the wanted size from "file,index"; when the file has only the other
// size, that one.
IconHandle CShutdownPlugin::ExtractFromLocation(bool large) const {
    char file[MAX_PATH];
    CopyText(file, settings.iconLocation);
    int index = PathParseIconLocationA(file);
    HICON extractedLarge = nullptr;
    HICON extractedSmall = nullptr;
    UINT extracted = ExtractIconExA(file, index, &extractedLarge, &extractedSmall, 1);
    // Some systems leave junk in the handles when nothing was extracted.
    if (extracted == 0 || extracted == UINT_MAX)
        return IconHandle();
    IconHandle wanted(large ? extractedLarge : extractedSmall);
    IconHandle other(large ? extractedSmall : extractedLarge);
    return wanted ? std::move(wanted) : std::move(other);
}

void CShutdownPlugin::DropIcons() {
    smallIcon.Reset();
    largeIcon.Reset();
    bigIcon.Reset();
}
