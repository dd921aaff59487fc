// Where the host, COM or the window manager calls into the plug-in, no C++ exception may
// pass: their frames cannot unwind one, and the host would end. An allocation that fails
// deep inside a press (std::bad_alloc) becomes the entry point's own failure answer.
#pragma once

#include <type_traits>

// Runs work and gives what it returns. When it throws, gives fallback instead: a value
// (E_OUTOFMEMORY, FALSE, 0), or, when it is callable, what it returns (a window's default
// answer from DefWindowProc).
template <typename Fallback, typename Work>
auto Guarded(Fallback fallback, Work&& work) noexcept -> decltype(work()) {
    try {
        return work();
    } catch (...) {
        if constexpr (std::is_invocable_v<Fallback>)
            return fallback();
        else
            return static_cast<decltype(work())>(fallback);
    }
}
