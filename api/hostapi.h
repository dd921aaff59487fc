// The interface between the launch bar Dockmere and its plug-ins. Shared by the
// plug-in, the demo dock and the tests, so that all three agree on one layout.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstddef>

inline const GUID IID_IHostPlugin = {
    0xAB1982DF, 0x9DA2, 0x4FB4, {0x96, 0x95, 0xF2, 0x3F, 0xB1, 0xF6, 0xE8, 0x5F}};
inline const GUID CLSID_ShutdownPlugin = {
    0x76E81AEA, 0x3C5B, 0x4CCA, {0xBA, 0x26, 0x96, 0x30, 0xE6, 0x9A, 0xB5, 0xAE}};
inline const GUID CATID_HostPlugins = {
    0x49E86696, 0xEAA6, 0x45A2, {0x94, 0x80, 0xC7, 0x8C, 0x01, 0x3B, 0x97, 0x13}};

// ButtonInfo mask bits.
enum : DWORD {
    BIM_ZERO_WORD = 1,
    BIM_STYLE = 2,
    BIM_ICON = 8,
    BIM_ICON_ALT = 16,
    BIM_CAPTION = 64,
};

struct ButtonInfo {
    DWORD mask;
    DWORD zeroWord;
    DWORD style; // 37 when asked for
    DWORD reserved1;
    DWORD reserved2;
    HICON icon;
    char caption[256];
};
static_assert(offsetof(ButtonInfo, icon) == 20, "host layout");
static_assert(offsetof(ButtonInfo, caption) == 24, "host layout");

struct ViewInfo {
    DWORD words[7];
};
constexpr DWORD VIEW_LARGE_ICONS = 1; // bit of ViewInfo::words[2]

#pragma pack(push, 2)
struct CaptionRecord {
    DWORD header;
    WCHAR caption[260];
    WORD hotKey;
    WORD padding;
    DWORD value;
};
#pragma pack(pop)
static_assert(offsetof(CaptionRecord, caption) == 4, "host layout");
static_assert(offsetof(CaptionRecord, hotKey) == 524, "host layout");
static_assert(offsetof(CaptionRecord, value) == 528, "host layout");

// Properties answered by IHostPlugin::GetProperty.
enum : DWORD {
    PROP_ONE = 1,
    PROP_HOST_DATA = 2,
    PROP_CAPTION_RECORD = 4,
    PROP_ONE_TOO = 5,
    PROP_ZERO = 22,
    PROP_BIG_ICON = 23,
    PROP_CAPTION_COPY = 24,
    PROP_EXECUTE = 25,
};

constexpr DWORD HOST_BUTTON_SLOT = 2; // first argument of SetHotKey and RefreshButton

// A hot-key value, as SetHotKey hands it to the host: the virtual key in the low byte, and
// in the high byte the system hot-key control's flags plus the Windows key.
enum : WORD {
    HOTKEY_SHIFT = 0x0100,
    HOTKEY_CONTROL = 0x0200,
    HOTKEY_ALT = 0x0400,
    HOTKEY_EXTENDED = 0x0800, // names the key, but the system matches keys without it
    HOTKEY_WIN = 0x2000,
};

// The host's call-back site. Operations 7 to 10 are the host's own business.
struct IHostSite : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetViewInfo(ViewInfo* info) = 0;
    virtual HWND STDMETHODCALLTYPE GetParentWindow() = 0;
    virtual HRESULT STDMETHODCALLTYPE NotifyChanged() = 0;
    virtual HRESULT STDMETHODCALLTYPE HostReserved7() = 0;
    virtual HRESULT STDMETHODCALLTYPE HostReserved8() = 0;
    virtual HRESULT STDMETHODCALLTYPE HostReserved9() = 0;
    virtual HRESULT STDMETHODCALLTYPE HostReserved10() = 0;
    virtual HRESULT STDMETHODCALLTYPE RefreshButton(DWORD slot) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHotKey(DWORD slot, DWORD hotKey, DWORD reserved) = 0;
};

// What the host drives; the slots marked reserved keep the table in the host's order.
struct IHostPlugin : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Load(IStream* stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE Save(IStream* stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHostData(const void* data) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSite(IHostSite* site) = 0;
    virtual HRESULT STDMETHODCALLTYPE StoreHostValue(DWORD value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved9(DWORD, DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved10(DWORD, DWORD, DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved11(DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved12(DWORD, DWORD, DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConfigureAndSave(IStream* stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE StoreHostPointer(DWORD value, DWORD* out) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved15(DWORD, DWORD, DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved16(DWORD, DWORD, DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE Execute() = 0;
    virtual HRESULT STDMETHODCALLTYPE Configure(DWORD mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCaption(LPCSTR caption) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved20(DWORD, DWORD, DWORD, DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved21(DWORD) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetResourceModule(DWORD ignored, HMODULE module) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIconLocation(LPSTR buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetIconLocation(LPCSTR location) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetButtonInfo(ButtonInfo* info) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProperty(DWORD id, DWORD value, void* out) = 0;
    // What a host built with Microsoft's compiler calls for delete: thiscall, the object
    // is destroyed, bit 0 of flags frees its memory too; returns the object.
    virtual void* __thiscall ScalarDeletingDestructor(UINT flags) = 0;
};
constexpr UINT DESTRUCTOR_FREE_MEMORY = 1;
