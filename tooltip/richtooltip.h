// A balloon tooltip for the child windows of one parent. The owner registers the tools
// and relays their messages; the tip shows near the cursor after the mouse rests on a
// tool, and hides on a click, a key, the autopop delay or when the mouse leaves.
#pragma once

#include "base/owners.h"
#include "tooltip/markuprenderer.h"
#include "tooltip/tipgeometry.h"
#include "tooltip/toolinfo.h"

#include <windows.h>

#include <vector>

class CRichTooltip {
public:
    static constexpr char CLASS_NAME[] = "RichTooltip";

    explicit CRichTooltip(HMODULE moduleInstance);
    // 1 on success. balloon chooses rounded balloon metrics over a plain box.
    virtual bool Create(HWND parent, bool balloon);
    // As Create, but the window is made when a relayed mouse move first needs it: a
    // window whose pointer never rests on a tool never pays for one.
    void CreateWhenNeeded(HWND parent, bool balloon);
    virtual ~CRichTooltip();
    CRichTooltip(const CRichTooltip&) = delete;
    CRichTooltip& operator=(const CRichTooltip&) = delete;

    // A tool with the same window and rectangle is replaced. rect may be null.
    void AddTool(HWND tool, const wchar_t* text, HICON icon, const RECT* rect, DWORD userValue);
    // Every message of a tool window; pt in screen coordinates for mouse moves.
    void RelayEvent(const MSG* msg);
    // type TTDT_AUTOPOP or TTDT_INITIAL, as the system's tooltip takes them; ms.
    void SetDelayTime(int type, UINT ms);
    void SetNotify(bool enable);

    // A tool index not in the list (ALL_TOOLS by convention) addresses the global values.
    static constexpr int ALL_TOOLS = -1;
    void ModifyStyles(DWORD add, DWORD remove, int tool);
    void SetStyles(DWORD style, int tool) { ModifyStyles(style, ~0u, tool); }
    void SetDirection(DWORD direction, int tool);
    void SetEffect(DWORD effect, int tool);
    void SetBehaviour(DWORD behaviour, int tool);

    CMarkupRenderer& Renderer() { return renderer; }
    HWND Window() const { return hwnd; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT ForwardToParent(UINT message, WPARAM wParam, LPARAM lParam);
    void RegisterWindowClass() const;

    ToolInfo* Tool(int index);
    // A tool's own value of one field, or the global value for an index not in the list.
    void SetField(DWORD CRichTooltip::*global, DWORD ToolInfo::*own, DWORD overrideBit, DWORD value,
                  int tool);
    int HitTest(POINT parentClient) const;
    bool CursorOverTip(POINT screen) const;
    void ResolveCurrentTool();

    void OnRelayedMouseMove(POINT screen);
    void StartWaiting(int tool);
    void Conceal();
    void HideTip();
    void OnTimer(WPARAM id);
    void OnInitialDelay();
    void OnAutopop();
    bool ShowTip(POINT cursor);
    void Notify(POINT cursor);
    SIZE MeasureTip();
    void Shape(SIZE tip, POINT cursorClient);
    void OnPaint();
    void ComposeTip(HDC target);

    HMODULE moduleInstance;
    HWND hwnd = nullptr;
    HWND parentWnd = nullptr;
    HWND notifyWnd = nullptr;
    // The metrics the window is to be made with, until it is made.
    bool pendingCreate = false;
    bool pendingBalloon = false;
    std::vector<ToolInfo> tools;
    CMarkupRenderer renderer;
    TipMetrics metrics = BALLOON_METRICS;
    DWORD style = TipAnchor | TipShadow | TipRounded | IconVCenter;
    DWORD direction = BelowRight;
    DWORD effect = 0;
    DWORD behaviour = 0;
    UINT initialDelay = 250;
    UINT autopopDelay = 5000;
    POINT lastMousePos = {-1, -1};
    int pendingTool = -1;
    int shownTool = -1;
    ToolInfo currentTool;
    DWORD currentDirection = BelowRight;
    Region windowRgn;
    Region shadowRgn;
    SIZE iconSize = {};
    SIZE textSize = {};
    // The tip as first painted, for repainting it when it is uncovered.
    Bitmap paintedTip;
    SIZE paintedSize = {};
};
