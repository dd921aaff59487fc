#include "settings/aboutdlg.h"

#include "core/module.h"
#include "core/owners.h"
#include "image/rasterimage.h"
#include "res/resource.h"

#include <memory>
#include <new>

namespace {

struct FileVersion {
    DWORD mostSignificant = 0;
    DWORD leastSignificant = 0;
};

FileVersion ReadFileVersion(const char* path) {
    FileVersion version;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (!size)
        return version;
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[size]);
    if (!block || !GetFileVersionInfoA(path, 0, size, block.get()))
        return version;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.get(), "\\", reinterpret_cast<void**>(&info), &length) && info &&
        length >= sizeof *info) {
        version.mostSignificant = info->dwFileVersionMS;
        version.leastSignificant = info->dwFileVersionLS;
    }
    return version;
}

RECT ItemRectInClient(HWND dialog, int id) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

CAboutDlg::CAboutDlg() : CModalDialog(IDD_ABOUT) {}

std::string CAboutDlg::FormatVersion(DWORD mostSignificant, DWORD leastSignificant) {
    const DWORD parts[4] = {mostSignificant >> 16, mostSignificant & 0xFFFF, leastSignificant >> 16,
                            leastSignificant & 0xFFFF};
    int last = 3;
    while (last > 0 && parts[last] == 0)
        --last;
    if (last == 0 && parts[0] == 0)
        last = 3;
    std::string text;
    for (int i = 0; i <= last; ++i) {
        if (i)
            text += '.';
        text += std::to_string(parts[i]);
    }
    return text;
}

void CAboutDlg::OnInitDialog() {
    // The version is the plug-in's own, whichever module the texts come from.
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(Module::Handle(), path, MAX_PATH);
    FileVersion version;
    if (length > 0 && length < MAX_PATH)
        version = ReadFileVersion(path);
    std::string text = "v" + FormatVersion(version.mostSignificant, version.leastSignificant);
    SetDlgItemTextA(Window(), IDC_ABOUT_VERSION, text.c_str());
}

void CAboutDlg::OnPaint() {
    PaintDC paint(Window());
    if (!paint.Get())
        return;
    RECT place = ItemRectInClient(Window(), IDC_ABOUT_PICTURE);
    HMODULE own = Module::Handle();
    HRSRC resource = FindResourceA(own, MAKEINTRESOURCEA(IDP_ABOUT), "PNG");
    if (!resource)
        return;
    CRasterImage picture(FormatPng);
    if (picture.LoadFromResource(resource, FormatPng, own))
        picture.Draw(paint.Get(), place.left, place.top);
}
