#include "tests/host/recordingsite.h"

void CRecordingSite::UseLargeIcons(bool large) {
    viewAnswer.words[2] = large ? VIEW_LARGE_ICONS : 0;
}

size_t CRecordingSite::Count(const std::string& name) const {
    return Calls(name).size();
}

std::vector<SiteCall> CRecordingSite::Calls(const std::string& name) const {
    std::vector<SiteCall> found;
    for (const SiteCall& call : calls) {
        if (call.name == name)
            found.push_back(call);
    }
    return found;
}

HRESULT STDMETHODCALLTYPE CRecordingSite::QueryInterface(REFIID, void** out) {
    Record("QueryInterface");
    if (out)
        *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE CRecordingSite::GetViewInfo(ViewInfo* info) {
    Record("GetViewInfo");
    if (info)
        *info = viewAnswer;
    return S_OK;
}

HWND STDMETHODCALLTYPE CRecordingSite::GetParentWindow() {
    Record("GetParentWindow");
    return parentAnswer;
}

HRESULT STDMETHODCALLTYPE CRecordingSite::NotifyChanged() {
    Record("NotifyChanged");
    return notifyAnswer;
}

HRESULT STDMETHODCALLTYPE CRecordingSite::RefreshButton(DWORD slot) {
    Record("RefreshButton", slot);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CRecordingSite::SetHotKey(DWORD slot, DWORD hotKey, DWORD reserved) {
    Record("SetHotKey", slot, hotKey, reserved);
    return S_OK;
}

HRESULT CRecordingSite::Unexpected(const char* name) {
    Record(name);
    return E_NOTIMPL;
}

void CRecordingSite::Record(const char* name, DWORD a, DWORD b, DWORD c) {
    const SiteCall call = {name, {a, b, c}};
    calls.push_back(call);
    // A copy: what the host does in answer may call the site again.
    if (onCall)
        onCall(call);
}
