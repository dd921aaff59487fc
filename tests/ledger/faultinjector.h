// Fails one call the plug-in makes, the way a busy system refuses it: the nth call of one
// allocation or creation function from the start of a cycle answers as the system does
// when it has no memory or quota left. Sits in the module's import table after the
// handle ledger, so that a refused call never reaches the ledger as something made.
#pragma once

#include "host/importpatch.h"

#include <windows.h>

#include <string>
#include <vector>

// Calls the plug-in makes through the host's objects, not its imports: the stream of
// settings the host hands to Load and Save.
inline constexpr char STREAM_READ[] = "IStream::Read";
inline constexpr char STREAM_WRITE[] = "IStream::Write";

struct FunctionCalls {
    std::string function;
    unsigned calls;
};

class CFaultInjector {
public:
    CFaultInjector() = default;
    ~CFaultInjector();
    CFaultInjector(const CFaultInjector&) = delete;
    CFaultInjector& operator=(const CFaultInjector&) = delete;

    // Takes the module's imports of every function it knows. One injector at a time.
    bool Install(HMODULE module);
    void Uninstall();

    // Counts every call from now on; the nth of function fails (none when n is 0).
    // False when function is none the injector knows.
    bool Start(const std::string& function, unsigned n);
    void Stop();
    // True when the chosen call was made, and refused.
    bool Fired() const { return fired; }
    // Where the module made the refused call: the return address, or 0 for the stream's.
    UINT_PTR RefusedAt() const { return refusedAt; }
    // The functions called since Start, with how often.
    std::vector<FunctionCalls> Calls() const;

    // Every function the injector can fail, the module's imports and the stream's calls.
    static std::vector<std::string> Functions();
    // For a hook: counts the call and tells whether it must fail.
    static bool Refuses(size_t point, void* returnTo);
    // For the stream: the same by name.
    static bool Refuses(const char* function);

private:
    std::vector<CImportPatch> patches;
    std::vector<unsigned> calls;
    size_t target = 0;
    unsigned failingCall = 0;
    bool counting = false;
    bool fired = false;
    UINT_PTR refusedAt = 0;
};
