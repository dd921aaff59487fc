// A host site that records every call the plug-in makes, with answers the test sets.
#pragma once

#include "api/hostapi.h"

#include <functional>
#include <string>
#include <vector>

struct SiteCall {
    std::string name;
    DWORD args[3];
};

class CRecordingSite : public IHostSite {
public:
    std::vector<SiteCall> calls;
    // Told of each call as it is recorded, as a host reacts to it.
    std::function<void(const SiteCall&)> onCall;
    ViewInfo viewAnswer = {};
    HWND parentAnswer = nullptr;
    HRESULT notifyAnswer = S_OK;

    void UseLargeIcons(bool large);
    size_t Count(const std::string& name) const;
    // The calls with this name, in order.
    std::vector<SiteCall> Calls(const std::string& name) const;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetViewInfo(ViewInfo* info) override;
    HWND STDMETHODCALLTYPE GetParentWindow() override;
    HRESULT STDMETHODCALLTYPE NotifyChanged() override;
    HRESULT STDMETHODCALLTYPE HostReserved7() override { return Unexpected("HostReserved7"); }
    HRESULT STDMETHODCALLTYPE HostReserved8() override { return Unexpected("HostReserved8"); }
    HRESULT STDMETHODCALLTYPE HostReserved9() override { return Unexpected("HostReserved9"); }
    HRESULT STDMETHODCALLTYPE HostReserved10() override { return Unexpected("HostReserved10"); }
    HRESULT STDMETHODCALLTYPE RefreshButton(DWORD slot) override;
    HRESULT STDMETHODCALLTYPE SetHotKey(DWORD slot, DWORD hotKey, DWORD reserved) override;

private:
    HRESULT Unexpected(const char* name);
    void Record(const char* name, DWORD a = 0, DWORD b = 0, DWORD c = 0);
};
