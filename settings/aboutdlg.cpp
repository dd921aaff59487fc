#include "settings/aboutdlg.h"

#include "base/fileversion.h"
#include "base/module.h"
#include "base/owners.h"
#include "image/rasterimage.h"
#include "res/resource.h"

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
    // The version is the plug-in's own, whichever module the texts come from; 0 without one.
    FileVersion version;
    ReadModuleVersion(Module::Handle(), version);
    std::string text = "v" + FormatVersion(version.mostSignificant, version.leastSignificant);
    SetDlgItemTextA(Window(), IDC_ABOUT_VERSION, text.c_str());
}

void CAboutDlg::OnPaint() {
    PaintDC paint(Window());
    if (!paint.Get())
        return;
    RECT place = DialogItemRect(Window(), IDC_ABOUT_PICTURE);
    HMODULE own = Module::Handle();
    HRSRC resource = FindResourceA(own, MAKEINTRESOURCEA(IDP_ABOUT), "PNG");
    if (!resource)
        return;
    CRasterImage picture(FormatPng);
    if (picture.LoadFromResource(resource, FormatPng, own))
        picture.Draw(paint.Get(), place.left, place.top);
}
