// How long a press of the button takes until the exit window is wholly on the screen,
// and opening the settings until they are, against windows that do the least a window
// can do. A watcher thread polls the screen with BitBlt until the window's area equals
// its final picture, captured once after the window had been still. Every variant runs
// once per round, the rounds interleaved, so that a busy machine slows all alike.
#include "api/hostapi.h"
#include "base/owners.h"
#include "host/pluginlibrary.h"
#include "host/powerrecorder.h"
#include "host/settingsrecord.h"
#include "host/streams.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int DEFAULT_ROUNDS = 40;
constexpr DWORD SETTLE_MS = 300;    // still this long, a window shows its final picture
constexpr double GIVE_UP_MS = 3000; // a window that never matches is closed after this
constexpr DWORD BACKGROUND_WAIT_MS = 1000;
constexpr int CONFIRM_TEMPLATE = 1007;
constexpr int SETTINGS_TEMPLATE = 1006;
constexpr char LIMIT_CLASS[] = "PressBenchLimit";

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / frequency;
}

// A part of the screen as 32-bit pixels; the unused byte is always 0.
struct Picture {
    RECT area = {};
    std::vector<DWORD> pixels;
    bool operator==(const Picture& other) const { return pixels == other.pixels; }
};

class ScreenReader {
public:
    explicit ScreenReader(const RECT& area)
        : area(area), width(area.right - area.left), height(area.bottom - area.top),
          dib(nullptr, width, -height, 32), screen(nullptr) {}

    void Read(Picture& picture) {
        BitBlt(dib.Dc(), 0, 0, width, height, screen.Get(), area.left, area.top, SRCCOPY);
        GdiFlush();
        picture.area = area;
        picture.pixels.resize(static_cast<size_t>(width) * height);
        std::memcpy(picture.pixels.data(), dib.Bits(), picture.pixels.size() * 4);
    }

private:
    RECT area;
    int width;
    int height;
    DibSection dib;
    WindowDC screen;
};

// The share of the pixels that the window changes which already show their final colour.
double Completeness(const Picture& before, const Picture& frame, const Picture& final) {
    size_t changing = 0;
    size_t present = 0;
    for (size_t i = 0; i < final.pixels.size(); ++i) {
        if (before.pixels[i] == final.pixels[i])
            continue;
        ++changing;
        present += frame.pixels[i] == final.pixels[i];
    }
    return changing ? static_cast<double>(present) / static_cast<double>(changing) : 1.0;
}

struct Sample {
    double painted = NAN;      // ms from the start until the screen showed the final picture
    double firstChange = NAN;  // ms until the screen first differed from the background
    double completeness = NAN; // of that first changed frame
    int polls = 0;
};

// The visible top-level window of a thread, other than the given one.
struct WindowSearch {
    HWND found = nullptr;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM lParam) {
    if (!IsWindowVisible(window))
        return TRUE;
    reinterpret_cast<WindowSearch*>(lParam)->found = window;
    return FALSE;
}

HWND VisibleWindowOf(DWORD thread) {
    WindowSearch search;
    EnumThreadWindows(thread, FindVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Closes what a variant opened the way a user would: Escape, or the close box of the
// bare popup.
void CloseLikeAUser(HWND window) {
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, LIMIT_CLASS) == 0)
        PostMessageA(window, WM_CLOSE, 0, 0);
    else
        PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 1);
}

// Polls the screen on a thread of its own while the main thread opens a window.
class Watcher {
public:
    explicit Watcher(DWORD uiThread) : uiThread(uiThread) {
        wake.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
        finished.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
        thread.Reset(CreateThread(nullptr, 0, Run, this, 0, nullptr));
    }
    ~Watcher() {
        job = nullptr;
        quit = true;
        SetEvent(wake.Get());
        WaitForSingleObject(thread.Get(), INFINITE);
    }

    // Waits for the window of the UI thread, lets it settle, and keeps its final picture.
    void Settle(std::function<void(const RECT&, const Picture&)> done) {
        settleDone = std::move(done);
        Start(&Watcher::SettleJob);
    }
    // Times the window against its final picture from the moment StartClock is called.
    void Time(const Picture& before, const Picture& final) {
        timedBefore = &before;
        timedFinal = &final;
        startTime = 0;
        sample = Sample();
        Start(&Watcher::TimeJob);
    }
    void StartClock() { startTime = Now(); }
    // The main thread's message loops run meanwhile; this waits for the job's end.
    void Wait() { WaitForSingleObject(finished.Get(), INFINITE); }
    const Sample& Result() const { return sample; }

private:
    using Job = void (Watcher::*)();

    void Start(Job next) {
        job = next;
        SetEvent(wake.Get());
    }

    static DWORD WINAPI Run(LPVOID self) {
        auto* watcher = static_cast<Watcher*>(self);
        for (;;) {
            WaitForSingleObject(watcher->wake.Get(), INFINITE);
            if (watcher->quit)
                return 0;
            (watcher->*(watcher->job))();
            SetEvent(watcher->finished.Get());
        }
    }

    HWND WaitForWindow() {
        const double start = Now();
        while (Now() - start < GIVE_UP_MS) {
            if (HWND window = VisibleWindowOf(uiThread))
                return window;
            Sleep(1);
        }
        return nullptr;
    }

    void SettleJob() {
        HWND window = WaitForWindow();
        if (!window)
            return;
        RECT area;
        GetWindowRect(window, &area);
        ScreenReader reader(area);
        Picture last;
        Picture frame;
        reader.Read(last);
        double stillSince = Now();
        while (Now() - stillSince < SETTLE_MS) {
            Sleep(10);
            reader.Read(frame);
            if (!(frame == last)) {
                std::swap(frame, last);
                stillSince = Now();
            }
        }
        settleDone(area, last);
        CloseLikeAUser(window);
    }

    void TimeJob() {
        ScreenReader reader(timedFinal->area);
        Picture frame;
        while (startTime == 0)
            SwitchToThread();
        while (Now() - startTime < GIVE_UP_MS) {
            reader.Read(frame);
            const double at = Now() - startTime;
            ++sample.polls;
            if (std::isnan(sample.firstChange) && !(frame == *timedBefore)) {
                sample.firstChange = at;
                sample.completeness = Completeness(*timedBefore, frame, *timedFinal);
            }
            if (frame == *timedFinal) {
                sample.painted = at;
                break;
            }
        }
        HWND window = WaitForWindow();
        if (window)
            CloseLikeAUser(window);
    }

    DWORD uiThread;
    KernelHandle wake;
    KernelHandle finished;
    KernelHandle thread;
    std::atomic<Job> job{nullptr};
    std::atomic<bool> quit{false};
    std::function<void(const RECT&, const Picture&)> settleDone;
    const Picture* timedBefore = nullptr;
    const Picture* timedFinal = nullptr;
    std::atomic<double> startTime{0};
    Sample sample;
};

// The least a window can do: a popup of the same size and place that copies the
// window's final picture to the screen with one BitBlt.
class LimitWindow {
public:
    static void Register() {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.lpszClassName = LIMIT_CLASS;
        RegisterClassA(&windowClass);
    }

    // Shows the picture until the window is closed.
    static void Run(const Picture& picture, const DibSection& bits) {
        const RECT& r = picture.area;
        HWND window =
            CreateWindowExA(0, LIMIT_CLASS, "", WS_POPUP, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&bits));
        ShowWindow(window, SW_SHOW);
        MSG message;
        while (IsWindow(window) && GetMessageA(&message, nullptr, 0, 0)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_PAINT) {
            auto* bits =
                reinterpret_cast<const DibSection*>(GetWindowLongPtrA(window, GWLP_USERDATA));
            PaintDC paint(window);
            RECT client;
            GetClientRect(window, &client);
            if (bits)
                BitBlt(paint.Get(), 0, 0, client.right, client.bottom, bits->Dc(), 0, 0, SRCCOPY);
            return 0;
        }
        if (message == WM_ERASEBKGND)
            return 1;
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

INT_PTR CALLBACK PlainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// One of the plug-in's own dialog templates run by a dialog procedure that does nothing.
void RunPlainDialog(HMODULE module, int id) {
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    if (!resource)
        return;
    auto* dialogTemplate =
        static_cast<LPCDLGTEMPLATEW>(LockResource(LoadResource(module, resource)));
    DialogBoxIndirectParamW(module, dialogTemplate, nullptr, PlainDialogProc, 0);
}

struct Variant {
    std::string name;
    std::function<void()> open; // returns once the window it opened is closed
    Picture before;             // the screen under the window
    Picture final;              // the window's final picture
    DibSection* bits = nullptr; // the final picture for a limit to paint
    std::vector<Sample> samples;
};

struct Summary {
    double min = NAN;
    double median = NAN;
    double max = NAN;
};

Summary Summarise(std::vector<double> values) {
    values.erase(
        std::remove_if(values.begin(), values.end(), [](double v) { return std::isnan(v); }),
        values.end());
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {values.front(), median, values.back()};
}

std::vector<double> Field(const Variant& variant, double Sample::*field) {
    std::vector<double> values;
    for (const Sample& sample : variant.samples)
        values.push_back(sample.*field);
    return values;
}

// Waits until the screen under a window shows what it showed before the window opened.
void WaitForBackground(const Variant& variant) {
    ScreenReader reader(variant.before.area);
    Picture frame;
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        reader.Read(frame);
        if (frame == variant.before)
            return;
        Sleep(2);
    } while (GetTickCount() - start < BACKGROUND_WAIT_MS);
}

// Runs a variant once untimed to learn its window's place and final picture.
bool Prepare(Variant& variant, Watcher& watcher) {
    bool found = false;
    watcher.Settle([&](const RECT& area, const Picture& final) {
        variant.final = final;
        variant.before.area = area;
        found = true;
    });
    variant.open();
    watcher.Wait();
    if (!found)
        return false;
    Sleep(SETTLE_MS);
    ScreenReader(variant.before.area).Read(variant.before);
    return !(variant.before == variant.final);
}

// A host calls the plug-in from its message loop, which was waiting for the click: the
// press comes from a timer of a loop that waited for it.
const std::function<void()>* pendingPress = nullptr;

void CALLBACK Press(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (const std::function<void()>* press = std::exchange(pendingPress, nullptr))
        (*press)();
    PostQuitMessage(0);
}

void PressFromIdleLoop(const std::function<void()>& press) {
    pendingPress = &press;
    if (!SetTimer(nullptr, 0, 1, Press))
        return;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0))
        DispatchMessageA(&message);
}

void Measure(Variant& variant, Watcher& watcher) {
    WaitForBackground(variant);
    watcher.Time(variant.before, variant.final);
    PressFromIdleLoop([&] {
        watcher.StartClock();
        variant.open();
    });
    watcher.Wait();
    variant.samples.push_back(watcher.Result());
}

std::unique_ptr<DibSection> BitsOf(const Picture& picture) {
    const LONG w = picture.area.right - picture.area.left;
    const LONG h = picture.area.bottom - picture.area.top;
    auto dib = std::make_unique<DibSection>(nullptr, w, -h, 32);
    if (*dib)
        std::memcpy(dib->Bits(), picture.pixels.data(), picture.pixels.size() * 4);
    return dib;
}

IHostPlugin* PluginWith(const PluginLibrary& library, DWORD flags, const char* skinName) {
    IHostPlugin* plugin = library.CreatePlugin();
    if (!plugin)
        return nullptr;
    SettingsRecord record;
    record.flags = flags;
    record.skinName = skinName;
    StreamPtr stream = StreamWith(record.Bytes());
    plugin->Load(stream.Get());
    return plugin;
}

void PrintRow(const Variant& variant) {
    const Summary painted = Summarise(Field(variant, &Sample::painted));
    const Summary complete = Summarise(Field(variant, &Sample::completeness));
    int missed = 0;
    for (const Sample& sample : variant.samples)
        missed += std::isnan(sample.painted);
    std::printf("figure press/%-28s min %7.2f  median %7.2f  max %7.2f ms   first frame %5.1f %%",
                variant.name.c_str(), painted.min, painted.median, painted.max,
                100.0 * complete.median);
    double pollMs = 0;
    for (const Sample& sample : variant.samples)
        pollMs += sample.polls ? sample.painted / sample.polls : 0;
    std::printf("   poll %.2f ms", pollMs / static_cast<double>(variant.samples.size()));
    if (missed)
        std::printf("   (%d rounds never matched)", missed);
    std::printf("\n");
}

double MedianOf(const Variant& variant) {
    return Summarise(Field(variant, &Sample::painted)).median;
}

struct PressKind {
    const char* name;
    DWORD flags;
    const char* skin;
};
constexpr PressKind PRESSES[] = {
    {"builtin-6", 191, ""}, {"builtin-2", 1 + 2, ""}, {"glass-6", 191, "Glass\\quiescorskin.ini"}};

// One build of the plug-in with the windows it opens: the exit window for each kind of
// press and the settings dialog, each on an object of its own as a host keeps them.
class Build {
public:
    Build(const std::string& path, const std::string& prefix) : library(path), prefix(prefix) {}
    ~Build() {
        for (IHostPlugin* plugin : plugins)
            plugin->Release();
    }
    Build(const Build&) = delete;
    Build& operator=(const Build&) = delete;

    bool Load(std::vector<std::unique_ptr<Variant>>& variants) {
        if (!library.IsLoaded() || !recorder.Install(library.Module()))
            return false;
        for (const PressKind& press : PRESSES) {
            IHostPlugin* plugin = Plugin(press.flags, press.skin);
            if (!plugin)
                return false;
            Add(variants, std::string("exit-window/") + press.name,
                [plugin] { plugin->Execute(); });
        }
        IHostPlugin* configured = Plugin(191, "");
        if (!configured)
            return false;
        Add(variants, "settings-dialog", [configured] { configured->Configure(1); });
        return true;
    }
    HMODULE Module() const { return library.Module(); }
    const std::string& Path() const { return library.Path(); }
    std::string Name(const std::string& variant) const { return prefix + variant; }

private:
    IHostPlugin* Plugin(DWORD flags, const char* skin) {
        IHostPlugin* plugin = PluginWith(library, flags, skin);
        if (plugin)
            plugins.push_back(plugin);
        return plugin;
    }
    void Add(std::vector<std::unique_ptr<Variant>>& variants, const std::string& name,
             std::function<void()> open) {
        auto variant = std::make_unique<Variant>();
        variant->name = prefix + name;
        variant->open = std::move(open);
        variants.push_back(std::move(variant));
    }

    PluginLibrary library;
    CPowerRecorder recorder;
    std::string prefix;
    std::vector<IHostPlugin*> plugins;
};

int Usage() {
    std::printf("usage: press_bench [rounds] [--before <an earlier quiescor.dll beside the "
                "skins folder>]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int rounds = DEFAULT_ROUNDS;
    std::string beforePath;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--before") == 0 && i + 1 < argc)
            beforePath = argv[++i];
        else if (std::atoi(argv[i]) > 0)
            rounds = std::atoi(argv[i]);
        else
            return Usage();
    }
    // The pointer away from every window: no hover, no tooltip.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    LimitWindow::Register();

    std::vector<std::unique_ptr<Variant>> variants;
    Build current(QUIESCOR_DLL_PATH, "");
    std::unique_ptr<Build> before;
    if (!current.Load(variants)) {
        std::printf("press_bench: cannot load %s with its power calls redirected\n",
                    current.Path().c_str());
        return 1;
    }
    if (!beforePath.empty()) {
        before = std::make_unique<Build>(beforePath, "before/");
        if (!before->Load(variants)) {
            std::printf("press_bench: cannot load %s with its power calls redirected\n",
                        beforePath.c_str());
            return 1;
        }
    }
    const HMODULE module = current.Module();
    auto addPlain = [&](const char* name, int templateId) {
        auto variant = std::make_unique<Variant>();
        variant->name = name;
        variant->open = [module, templateId] { RunPlainDialog(module, templateId); };
        variants.push_back(std::move(variant));
    };
    addPlain("plain-confirm-dialog", CONFIRM_TEMPLATE);
    addPlain("plain-settings-dialog", SETTINGS_TEMPLATE);

    Watcher watcher(GetCurrentThreadId());
    for (auto& variant : variants) {
        if (!Prepare(*variant, watcher)) {
            std::printf("press_bench: %s showed no window that settled\n", variant->name.c_str());
            return 1;
        }
    }
    auto named = [&](const std::string& name) -> Variant* {
        for (const auto& variant : variants) {
            if (variant->name == name)
                return variant.get();
        }
        return nullptr;
    };
    // One limit per exit window: its size, its place, its picture.
    std::vector<std::unique_ptr<DibSection>> limitBits;
    for (const PressKind& press : PRESSES) {
        const Variant& exit = *named(std::string("exit-window/") + press.name);
        limitBits.push_back(BitsOf(exit.final));
        auto limit = std::make_unique<Variant>();
        limit->name = std::string("limit/") + press.name;
        const Picture* final = &exit.final;
        const DibSection* bits = limitBits.back().get();
        limit->open = [final, bits] { LimitWindow::Run(*final, *bits); };
        limit->final = exit.final;
        limit->before = exit.before;
        variants.push_back(std::move(limit));
    }

    for (int round = 0; round < rounds; ++round) {
        // Each round starts with another variant, so that none always follows the same one.
        for (size_t k = 0; k < variants.size(); ++k)
            Measure(*variants[(k + round) % variants.size()], watcher);
    }

    std::printf("press_bench: %d interleaved rounds, time from the call to the whole window on "
                "the screen\n",
                rounds);
    for (const auto& variant : variants)
        PrintRow(*variant);
    auto ratio = [&](const std::string& of, const std::string& to) {
        const Variant* a = named(of);
        const Variant* b = named(to);
        if (a && b)
            std::printf("ratio %s vs %s: %.2f\n", of.c_str(), to.c_str(),
                        MedianOf(*a) / MedianOf(*b));
    };
    std::vector<const Build*> builds = {&current};
    if (before)
        builds.push_back(before.get());
    for (const Build* build : builds) {
        for (const PressKind& press : PRESSES)
            ratio(build->Name(std::string("exit-window/") + press.name),
                  std::string("limit/") + press.name);
        ratio(build->Name("settings-dialog"), "plain-settings-dialog");
    }
    ratio("plain-confirm-dialog", "limit/builtin-2");
    // The two builds must draw the same windows.
    if (before) {
        for (const auto& variant : variants) {
            const Variant* earlier = named("before/" + variant->name);
            if (earlier)
                std::printf("pixels %s: %s\n", variant->name.c_str(),
                            earlier->final == variant->final ? "the same in both builds"
                                                             : "DIFFERENT from the earlier build");
        }
    }
    return 0;
}
