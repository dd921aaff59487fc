// The dock's side of the plug-in interface: what the plug-in object calls back. The
// dock owns the site for as long as the object lives, so it is not reference-counted.
#pragma once

#include "api/hostapi.h"
#include "dock/dockbar.h"
#include "dock/hotkeybinding.h"
#include "dock/settingsfile.h"

class CDockSite : public IHostSite {
public:
    CDockSite(CDockBar& bar, const CSettingsFile& settings) : bar(bar), settings(settings) {}
    CDockSite(const CDockSite&) = delete;
    CDockSite& operator=(const CDockSite&) = delete;

    // The object whose settings NotifyChanged saves.
    void Attach(IHostPlugin* newPlugin) { plugin = newPlugin; }
    WORD BoundHotKey() const { return hotKey.Bound(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetViewInfo(ViewInfo* info) override;
    HWND STDMETHODCALLTYPE GetParentWindow() override { return bar.Handle(); }
    HRESULT STDMETHODCALLTYPE NotifyChanged() override;
    HRESULT STDMETHODCALLTYPE HostReserved7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE HostReserved8() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE HostReserved9() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE HostReserved10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RefreshButton(DWORD slot) override;
    HRESULT STDMETHODCALLTYPE SetHotKey(DWORD slot, DWORD value, DWORD reserved) override;

private:
    CDockBar& bar;
    const CSettingsFile& settings;
    IHostPlugin* plugin = nullptr;
    CHotKeyBinding hotKey;
};
