#include "fuzz/wine/dialogcloser.h"

namespace {

constexpr UINT TICK_MS = 50;
constexpr DWORD PATIENCE_MS = 2000;

CDialogCloser* current = nullptr;

} // namespace

CDialogCloser::CDialogCloser(std::function<void(HWND)> answer)
    : driver([this, answer](HWND dialog) {
          ++answered;
          answer(dialog);
      }) {
    current = this;
    timer = SetTimer(nullptr, 0, TICK_MS, Tick);
}

CDialogCloser::~CDialogCloser() {
    KillTimer(nullptr, timer);
    current = nullptr;
}

void CALLBACK CDialogCloser::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (current)
        current->EndOverdue();
}

// Hidden dialogs count too: the driver answers only visible ones.
void CDialogCloser::EndOverdue() {
    // A closed dialog's handle may come back for a new one: only open ones are kept.
    std::map<HWND, DWORD> open;
    const DWORD now = GetTickCount();
    for (HWND dialog : ThreadDialogs(true)) {
        const auto seen = firstSeen.find(dialog);
        const DWORD since = seen == firstSeen.end() ? now : seen->second;
        if (now - since > PATIENCE_MS) {
            EndDialog(dialog, IDCANCEL);
            ++forced;
        } else {
            open.emplace(dialog, since);
        }
    }
    firstSeen = std::move(open);
}
