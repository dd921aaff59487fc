// Shows tips over a patterned window and writes a screenshot of each as a PNG, so that
// a person can look at them: tipsnapshot <folder>.
#include "tests/host/canvas.h"
#include "tooltip/richtooltip.h"

#include <cstdio>
#include <string>

namespace {

const char PARENT_CLASS[] = "TipSnapshotParent";

LRESULT CALLBACK PatternProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT)
        return DefWindowProcA(window, message, wParam, lParam);
    PaintDC paint(window);
    for (int y = 0; y < 768; y += 16) {
        for (int x = 0; x < 1024; x += 16) {
            const RECT cell = {x, y, x + 16, y + 16};
            Brush brush(
                CreateSolidBrush((x / 16 + y / 16) % 2 ? RGB(58, 110, 165) : RGB(90, 140, 190)));
            FillRect(paint.Get(), &cell, brush.Get());
        }
    }
    return 0;
}

void PumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(5);
    }
}

bool Snapshot(CRichTooltip& tip, HWND tool, POINT at, const std::string& path) {
    POINT screen = at;
    ClientToScreen(tool, &screen);
    SetCursorPos(screen.x, screen.y);
    const MSG move = {tool, WM_MOUSEMOVE, 0, 0, 0, screen};
    tip.RelayEvent(&move);
    PumpFor(300);
    if (!IsWindowVisible(tip.Window()))
        return false;
    RECT rect;
    GetWindowRect(tip.Window(), &rect);
    InflateRect(&rect, 24, 24);
    CCanvas canvas(rect.right - rect.left, rect.bottom - rect.top);
    WindowDC screenDC(nullptr);
    BitBlt(canvas.Dc(), 0, 0, canvas.Width(), canvas.Height(), screenDC.Get(), rect.left, rect.top,
           SRCCOPY);
    const MSG leave = {tool, WM_MOUSEMOVE, 0, 0, 0, {5, 5}};
    tip.RelayEvent(&leave);
    return canvas.WritePng(path);
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PatternProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = PARENT_CLASS;
    RegisterClassA(&windowClass);
    HWND parent = CreateWindowExA(0, PARENT_CLASS, "", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND button = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 300, 400, 80,
                                  60, parent, nullptr, nullptr, nullptr);
    PumpFor(100);

    CRichTooltip tip(GetModuleHandleA(nullptr));
    tip.Create(parent, TRUE);
    tip.SetBehaviour(KeepWhileInside, -1);
    tip.SetDirection(AboveRight, -1);
    tip.SetDelayTime(3, 100);
    tip.SetStyles(TipAnchor | TipRounded | ShowInactive, -1);
    tip.AddTool(button,
                L"<b>Restart computer (R)</b><br><hr=100%><br>Ends your session, shuts down "
                L"Windows, and starts Windows again.",
                nullptr, nullptr, 0);
    bool written = Snapshot(tip, button, {20, 20}, folder + "\\tip-exitwindow.png");

    IconHandle icon(static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101), IMAGE_ICON, 16, 16, 0)));
    tip.AddTool(button,
                L"<al_c><b>Colours</b><br><al_l><ct=FF0000>red</ct>, <cti=2>green</cti><t>"
                L"<cb=FFFF00>marked</cb><br><i>italic</i> <u>under</u> <s>struck</s><t><icon=101>"
                L"<bmp=102 mask cx=16 cy=8><br><al_r>right",
                icon.Get(), nullptr, 0);
    tip.SetStyles(TipAnchor | TipRounded | TipShadow | IconVCenter | ShowInactive, -1);
    tip.SetEffect(6, -1);
    tip.Renderer().palette[CMarkupRenderer::bkBeginColor] = RGB(255, 255, 255);
    tip.Renderer().palette[CMarkupRenderer::bkMidColor] = RGB(255, 250, 205);
    tip.Renderer().palette[CMarkupRenderer::bkEndColor] = RGB(240, 220, 150);
    tip.SetDirection(BelowLeft, -1);
    written = Snapshot(tip, button, {40, 30}, folder + "\\tip-styled.png") && written;

    // Scripts beyond any one code page, on whatever system locale this runs.
    tip.AddTool(button,
                L"<b>\u041f\u0435\u0440\u0435\u0437\u0430\u0433\u0440\u0443\u0437\u043a\u0430 "
                L"(R)</b><br><hr=100%><br>\u0395\u03c0\u03b1\u03bd\u03b5\u03ba\u03ba\u03af\u03bd"
                L"\u03b7\u03c3\u03b7 \U0001D400\U0001D400 \u3042\u3044",
                nullptr, nullptr, 0);
    written = Snapshot(tip, button, {20, 20}, folder + "\\tip-scripts.png") && written;
    std::printf(written ? "written\n" : "failed\n");
    DestroyWindow(parent);
    return written ? 0 : 1;
}
