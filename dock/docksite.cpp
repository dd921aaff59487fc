#include "dock/docksite.h"

#include "dock/docklog.h"

HRESULT STDMETHODCALLTYPE CDockSite::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown))
        return E_NOINTERFACE;
    *out = static_cast<IUnknown*>(this);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDockSite::GetViewInfo(ViewInfo* info) {
    if (!info)
        return E_POINTER;
    // The bar shows 32-pixel icons.
    info->words[2] |= VIEW_LARGE_ICONS;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDockSite::NotifyChanged() {
    if (!plugin)
        return E_UNEXPECTED;
    return settings.SaveFrom(plugin) ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE CDockSite::RefreshButton(DWORD) {
    bar.Refresh();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDockSite::SetHotKey(DWORD, DWORD value, DWORD) {
    WORD key = LOWORD(value);
    if (key == 0) {
        hotKey.Unbind();
        return S_OK;
    }
    if (hotKey.Bind(bar.Handle(), key))
        return S_OK;
    DockLog("cannot bind hot key 0x%04X (error %lu)", key, GetLastError());
    return E_FAIL;
}
