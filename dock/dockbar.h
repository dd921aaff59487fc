// The dock's bar: a small always-on-top window near the bottom of the screen with the
// plug-in object's button. Left click presses the button, right click opens the
// button's menu.
#pragma once

#include "api/hostapi.h"

#include <string>

class CDockBar {
public:
    static constexpr char CLASS_NAME[] = "QuiescorDockBar";
    // Sizes at the usual resolution of 96 DPI; the bar grows with the screen's.
    static constexpr int USUAL_DPI = 96;
    static constexpr int ICON_SIZE = 32;
    static constexpr int BUTTON_SIZE = 44;
    static constexpr int PADDING = 6;
    static constexpr int SIZE = BUTTON_SIZE + 2 * PADDING;
    // Menu commands.
    static constexpr UINT CMD_SETTINGS = 1;
    static constexpr UINT CMD_EXIT = 2;

    CDockBar() = default;
    CDockBar(const CDockBar&) = delete;
    CDockBar& operator=(const CDockBar&) = delete;
    ~CDockBar();

    bool Create(HINSTANCE instance);
    HWND Handle() const { return window; }
    // The object whose button the bar shows; null takes the button away.
    void Attach(IHostPlugin* plugin);
    // Reads the button's icon and caption again from the object.
    void Refresh();
    // Bottom centre of the work area, above other windows, without taking the focus.
    void Show();

    HICON Icon() const { return icon; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateTooltip(HINSTANCE instance);
    int Scaled(int length) const;
    void UpdateTooltip();
    void Paint(HDC dc);
    void Press();
    void ShowMenu(POINT screenPoint);
    void RunCommand(UINT command);
    void OnMouseMove(POINT point);
    void OnButtonDown(POINT point);
    void OnButtonUp(POINT point);
    void SetState(bool newHot, bool newPressed);
    RECT ButtonRect() const;

    HWND window = nullptr;
    HWND tooltip = nullptr; // owned by the bar window, destroyed with it
    IHostPlugin* plugin = nullptr;
    HICON icon = nullptr; // owned by the plug-in object
    std::string caption;
    bool hot = false;
    bool pressed = false;
    int dpi = USUAL_DPI;
    bool trackingLeave = false;
};
