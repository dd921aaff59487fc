// The object the host creates for each of its Quiescor buttons.
#pragma once

#include "api/hostapi.h"
#include "api/pluginsettings.h"
#include "base/comobject.h"
#include "base/owners.h"
#include "plugin/poweractions.h"
#include "exitwnd/skincache.h"

class CActionAvailability;
class CSettingsDlg;

// The table holds exactly the host's 27 operations: the destructor is not virtual, and
// operation 27 stands in for it.
class CShutdownPlugin final : public ComObject<CShutdownPlugin, IHostPlugin> {
public:
    CShutdownPlugin();

    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE Save(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE SetHostData(const void* data) override;
    HRESULT STDMETHODCALLTYPE SetSite(IHostSite* site) override;
    HRESULT STDMETHODCALLTYPE StoreHostValue(DWORD value) override;
    HRESULT STDMETHODCALLTYPE Reserved9(DWORD, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Reserved10(DWORD, DWORD, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Reserved11(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Reserved12(DWORD, DWORD, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ConfigureAndSave(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE StoreHostPointer(DWORD value, DWORD* out) override;
    HRESULT STDMETHODCALLTYPE Reserved15(DWORD, DWORD, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Reserved16(DWORD, DWORD, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Execute() override;
    HRESULT STDMETHODCALLTYPE Configure(DWORD mode) override;
    HRESULT STDMETHODCALLTYPE SetCaption(LPCSTR text) override;
    HRESULT STDMETHODCALLTYPE Reserved20(DWORD, DWORD, DWORD, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Reserved21(DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE SetResourceModule(DWORD ignored, HMODULE module) override;
    HRESULT STDMETHODCALLTYPE GetIconLocation(LPSTR buffer) override;
    HRESULT STDMETHODCALLTYPE SetIconLocation(LPCSTR location) override;
    HRESULT STDMETHODCALLTYPE GetButtonInfo(ButtonInfo* info) override;
    HRESULT STDMETHODCALLTYPE GetProperty(DWORD id, DWORD value, void* out) override;
    void* __thiscall ScalarDeletingDestructor(UINT flags) override;

    const PluginSettings& Settings() const { return settings; }

    // Enables the shutdown privilege and performs one action; asks first when it would end
    // other users' sessions, and tells the user when Windows refuses it.
    void PerformAction(PowerRequest request);

private:
    class KeepAlive;
    friend ComObject;
    static constexpr InterfaceRow INTERFACES[] = {Row<IHostPlugin>(IID_IHostPlugin)};

    ~CShutdownPlugin();
    void Destroy() { ScalarDeletingDestructor(DESTRUCTOR_FREE_MEMORY); }
    // True when the calls under way hold the only references: the host let the object go.
    bool Abandoned() const { return References() <= heldByCalls; }
    DWORD ChooseAction(const CActionAvailability& now);
    DWORD ChooseInExitWindow(DWORD offered, const CActionAvailability& now);
    // Runs a call that shows a dialog: the object outlives it even when the host lets it
    // go meanwhile, and a call that throws answers as Forget does.
    template <typename Work> HRESULT WhileAlive(Work&& work);
    // The answer of a call that threw: E_OUTOFMEMORY, and nothing kept of it.
    HRESULT Forget() noexcept;
    HWND OwnerWindow();
    // True when the user left the dialog with OK.
    bool RunSettingsDialog(CSettingsDlg& dialog);
    void TakeSettings(const CSettingsDlg& dialog);
    void BindHotKey(WORD hotKey);
    HICON ViewSizeIcon();
    HICON BigIcon();
    IconHandle ExtractFromLocation(bool large) const;
    void DropIcons();

    HMODULE resourceModule;
    char caption[256] = {};
    DWORD hostValue = 0;
    DWORD hostPointer = 0;
    DWORD hostData[4] = {};
    IHostSite* site = nullptr; // not reference-counted: the host keeps it alive
    PluginSettings settings;
    IconHandle smallIcon;
    IconHandle largeIcon;
    IconHandle bigIcon;
    // The skin between presses, so that pressing again decodes nothing.
    CSkinCache skinCache;
    bool busy = false;
    LONG heldByCalls = 0; // references of the calls that run a dialog (nested calls count)
};
