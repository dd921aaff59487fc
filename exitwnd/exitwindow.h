// The skinned window that offers the enabled actions as image buttons, with a balloon
// tooltip on each and a letter key for each action. It returns the choice; the plug-in
// object performs it.
#pragma once

#include "api/actionavailability.h"
#include "base/modaldialog.h"
#include "exitwnd/accessiblewindow.h"
#include "exitwnd/skin.h"
#include "exitwnd/skincache.h"
#include "exitwnd/skincanvas.h"

#include <memory>

class CRichTooltip;

class CExitWindow : public CModalDialog {
public:
    CExitWindow();
    ~CExitWindow() override;

    // Where the tooltip texts and captions come from.
    void SetResourceModule(HMODULE module) { resourceModule = module; }
    // On entry the enabled actions; after DoModal returned IDOK, the chosen action or 0.
    void SetActions(DWORD flags) { actions = flags; }
    DWORD Actions() const { return actions; }
    // What cannot be done now: its button is greyed and its letter does nothing. Set
    // before UseLayout.
    void SetAvailability(const CActionAvailability& now) { availability = now; }
    // The skin laid out for the enabled actions, with the window's size and picture, and
    // the work area of the monitor it is centred in: the one it was laid out for.
    void UseLayout(const CSkinCache::Window& laidOut, const RECT& area);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnPaint() override;
    void OnCommand(WPARAM wParam) override;
    bool OnOK() override;
    void OnInitDialog() override;

private:
    void SetTitle();
    LRESULT AnswerGetObject(WPARAM wParam, LPARAM lParam, bool& handled);
    void CreateTooltip();
    void SizeAndCentre();
    void MakeButtons();
    void CreateButtons();
    LRESULT OnKey(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    bool CanChoose(DWORD action) const;
    void RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam);

    std::unique_ptr<CRichTooltip> tooltip;
    HMODULE resourceModule;
    CSkin skin;
    DWORD actions = 0;
    CActionAvailability availability;
    CAccessibleWindow accessible;
    SIZE size = {};
    RECT workArea = {};
    // The window's picture, composed before the window is made.
    CSkinCanvas canvas;
    bool buttonsMade = false;
    bool pointerOnGreyed = false;
};
