#include "tests/ledger/faultinjector.h"

#include <commctrl.h>
#include <oleacc.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace {

CFaultInjector* active = nullptr;

// What a refused call answers, in the function's own type.
template <typename Result> Result Refusal(INT_PTR value) {
    if constexpr (std::is_pointer_v<Result>)
        return reinterpret_cast<Result>(value);
    else
        return static_cast<Result>(value);
}

struct FaultPoint {
    const char* dll; // null for the calls through the host's objects
    const char* function;
    void* hook;
    void** next;
};

// One hook per function, made from its type: it refuses the chosen call and passes every
// other on to what the import table held before it.
template <int Id, typename Signature> struct Hook;

template <int Id, typename Result, typename... Args> struct Hook<Id, Result WINAPI(Args...)> {
    static Result WINAPI Call(Args... args) {
        if (CFaultInjector::Refuses(point, __builtin_return_address(0))) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return Refusal<Result>(refusal);
        }
        return reinterpret_cast<Result(WINAPI*)(Args...)>(next)(args...);
    }
    static inline size_t point = 0;
    static inline INT_PTR refusal = 0;
    static inline void* next = nullptr;
};

// The C runtime's functions, which do not set the last error.
template <int Id, typename Result, typename... Args> struct Hook<Id, Result(Args...)> {
    static Result Call(Args... args) {
        if (CFaultInjector::Refuses(point, __builtin_return_address(0)))
            return Refusal<Result>(refusal);
        return reinterpret_cast<Result (*)(Args...)>(next)(args...);
    }
    static inline size_t point = 0;
    static inline INT_PTR refusal = 0;
    static inline void* next = nullptr;
};

std::vector<FaultPoint>& Points();

template <typename HookType> void Add(const char* dll, const char* function, INT_PTR refusal) {
    HookType::point = Points().size();
    HookType::refusal = refusal;
    Points().push_back({dll, function, reinterpret_cast<void*>(&HookType::Call), &HookType::next});
}

#define FAULT(dll, function, refusal)                                                              \
    Add<Hook<__COUNTER__, decltype(function)>>(dll, #function, static_cast<INT_PTR>(refusal))
#define C_FAULT(function, signature, refusal)                                                      \
    Add<Hook<__COUNTER__, signature>>("msvcrt.dll", #function, static_cast<INT_PTR>(refusal))

const INT_PTR NO_FILE = reinterpret_cast<INT_PTR>(INVALID_HANDLE_VALUE);

void AddMemoryAndFiles() {
    C_FAULT(malloc, void*(size_t), 0);
    C_FAULT(calloc, void*(size_t, size_t), 0);
    C_FAULT(realloc, void*(void*, size_t), 0);
    C_FAULT(_strdup, char*(const char*), 0);
    FAULT("kernel32.dll", HeapAlloc, 0);
    FAULT("kernel32.dll", GlobalAlloc, 0);
    FAULT("kernel32.dll", LocalAlloc, 0);
    FAULT("ole32.dll", CoTaskMemAlloc, 0);
    FAULT("oleaut32.dll", SysAllocStringLen, 0);
    C_FAULT(fopen, FILE * (const char*, const char*), 0);
    C_FAULT(fread, size_t(void*, size_t, size_t, FILE*), 0);
    FAULT("kernel32.dll", CreateFileA, NO_FILE);
    FAULT("kernel32.dll", FindFirstFileA, NO_FILE);
    FAULT("kernel32.dll", GetFileAttributesExA, FALSE);
    FAULT("version.dll", GetFileVersionInfoSizeA, 0);
    FAULT("version.dll", GetFileVersionInfoA, FALSE);
}

void AddGdi() {
    FAULT("gdi32.dll", CreateCompatibleBitmap, 0);
    FAULT("gdi32.dll", CreateCompatibleDC, 0);
    FAULT("gdi32.dll", CreateDIBSection, 0);
    FAULT("gdi32.dll", CreateBitmap, 0);
    FAULT("gdi32.dll", CreateFontIndirectA, 0);
    FAULT("gdi32.dll", CreateFontIndirectW, 0);
    FAULT("gdi32.dll", CreatePen, 0);
    FAULT("gdi32.dll", CreateSolidBrush, 0);
    FAULT("gdi32.dll", CreateRectRgn, 0);
    FAULT("gdi32.dll", CreateRectRgnIndirect, 0);
    FAULT("gdi32.dll", CreateRoundRectRgn, 0);
    FAULT("gdi32.dll", CreatePolygonRgn, 0);
    FAULT("user32.dll", GetDC, 0);
    FAULT("user32.dll", BeginPaint, 0);
    FAULT("comctl32.dll", ImageList_Create, 0);
    FAULT("comctl32.dll", ImageList_AddMasked, -1);
    FAULT("comctl32.dll", ImageList_GetIcon, 0);
}

void AddUserAndResources() {
    FAULT("user32.dll", CreateWindowExA, 0);
    FAULT("user32.dll", CreateWindowExW, 0);
    FAULT("user32.dll", RegisterClassA, 0);
    FAULT("user32.dll", DialogBoxIndirectParamW, -1);
    FAULT("user32.dll", SetTimer, 0);
    FAULT("user32.dll", SetPropA, FALSE);
    FAULT("user32.dll", CreateCaret, FALSE);
    FAULT("user32.dll", SetWindowRgn, 0);
    FAULT("user32.dll", LoadImageA, 0);
    FAULT("user32.dll", LoadIconA, 0);
    FAULT("user32.dll", LoadCursorA, 0);
    FAULT("user32.dll", LoadStringW, 0);
    FAULT("user32.dll", GetIconInfo, FALSE);
    FAULT("shell32.dll", ExtractIconExA, 0);
    FAULT("kernel32.dll", FindResourceA, 0);
    FAULT("kernel32.dll", LoadResource, 0);
    FAULT("kernel32.dll", LockResource, 0);
    FAULT("kernel32.dll", SizeofResource, 0);
}

void AddSystem() {
    FAULT("kernel32.dll", LoadLibraryA, 0);
    FAULT("kernel32.dll", LoadLibraryW, 0);
    FAULT("kernel32.dll", GetProcAddress, 0);
    FAULT("kernel32.dll", CreateEventA, 0);
    FAULT("kernel32.dll", CreateSemaphoreA, 0);
    FAULT("kernel32.dll", CreateSemaphoreW, 0);
    FAULT("kernel32.dll", TlsAlloc, TLS_OUT_OF_INDEXES);
    FAULT("advapi32.dll", RegCreateKeyExA, ERROR_OUTOFMEMORY);
    FAULT("advapi32.dll", RegSetValueExA, ERROR_OUTOFMEMORY);
    FAULT("advapi32.dll", OpenProcessToken, FALSE);
    FAULT("ole32.dll", CoInitialize, E_OUTOFMEMORY);
    FAULT("ole32.dll", CoCreateInstance, E_OUTOFMEMORY);
    FAULT("oleacc.dll", CreateStdAccessibleObject, E_OUTOFMEMORY);
    FAULT("oleacc.dll", LresultFromObject, E_OUTOFMEMORY);
    Points().push_back({nullptr, STREAM_READ, nullptr, nullptr});
    Points().push_back({nullptr, STREAM_WRITE, nullptr, nullptr});
}

std::vector<FaultPoint>& Points() {
    static std::vector<FaultPoint> points;
    return points;
}

const std::vector<FaultPoint>& AllPoints() {
    if (Points().empty()) {
        AddMemoryAndFiles();
        AddGdi();
        AddUserAndResources();
        AddSystem();
    }
    return Points();
}

} // namespace

CFaultInjector::~CFaultInjector() {
    Uninstall();
}

bool CFaultInjector::Install(HMODULE module) {
    Uninstall();
    const std::vector<FaultPoint>& points = AllPoints();
    calls.assign(points.size(), 0);
    for (const FaultPoint& point : points) {
        CImportPatch patch;
        if (!point.dll || !patch.Install(module, point.dll, point.function, point.hook))
            continue;
        *point.next = patch.Original();
        patches.push_back(std::move(patch));
    }
    active = this;
    return !patches.empty();
}

void CFaultInjector::Uninstall() {
    if (active == this)
        active = nullptr;
    patches.clear();
}

bool CFaultInjector::Start(const std::string& function, unsigned n) {
    const std::vector<FaultPoint>& points = AllPoints();
    calls.assign(points.size(), 0);
    fired = false;
    failingCall = 0;
    for (size_t k = 0; k < points.size(); ++k) {
        if (function == points[k].function) {
            target = k;
            failingCall = n;
        }
    }
    counting = true;
    return failingCall > 0 || n == 0;
}

void CFaultInjector::Stop() {
    counting = false;
}

std::vector<FunctionCalls> CFaultInjector::Calls() const {
    std::vector<FunctionCalls> made;
    for (size_t k = 0; k < calls.size(); ++k) {
        if (calls[k])
            made.push_back({AllPoints()[k].function, calls[k]});
    }
    return made;
}

std::vector<std::string> CFaultInjector::Functions() {
    std::vector<std::string> names;
    for (const FaultPoint& point : AllPoints())
        names.push_back(point.function);
    return names;
}

bool CFaultInjector::Refuses(size_t point, void* returnTo) {
    if (!active || !active->counting || point >= active->calls.size())
        return false;
    const unsigned call = ++active->calls[point];
    if (point != active->target || call != active->failingCall)
        return false;
    active->fired = true;
    active->refusedAt = reinterpret_cast<UINT_PTR>(returnTo);
    return true;
}

bool CFaultInjector::Refuses(const char* function) {
    const std::vector<FaultPoint>& points = AllPoints();
    for (size_t k = 0; k < points.size(); ++k) {
        if (std::strcmp(points[k].function, function) == 0)
            return Refuses(k, nullptr);
    }
    return false;
}
