#include "fuzz/wine/fuzzrunner.h"

#include "host/importpatch.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

constexpr DWORD WATCH_INTERVAL_MS = 50;
// Mutants of mutants reach further from the seeds; this many recent ones are kept.
constexpr size_t RECENT_INPUTS = 16;

struct Options {
    std::vector<std::string> kept;
    std::vector<std::string> corpus;
    std::string findings = ".";
    std::string writeSeeds; // a folder to write the seeds into, instead of running
    unsigned long runs = 0;
    unsigned long seconds = 0;
    uint64_t seed = 1;
};

struct ModuleRange {
    uintptr_t start;
    uintptr_t end;
};

// What the crash handlers, the watchdog and FuzzFail need to keep the input under way.
struct Progress {
    std::string name;
    const Bytes* input = nullptr;
    std::string label;    // a kept file's path, or which mutated input
    std::string findings; // empty while kept inputs run: they are in the repository already
    DWORD timeoutMs = 0;
    volatile LONG running = 0;
    volatile DWORD started = 0;
    std::vector<ModuleRange> watched;
};

Progress progress;

uint64_t Fnv1a(const Bytes& data) {
    uint64_t hash = 0xCBF29CE484222325ull;
    for (uint8_t byte : data)
        hash = (hash ^ byte) * 0x100000001B3ull;
    return hash;
}

// Written with the system's own calls only: this also runs after a fault.
std::string KeepInput(const char* kind) {
    if (progress.findings.empty() || !progress.input)
        return std::string();
    char name[64];
    wsprintfA(name, "\\%s-%08lx%08lx", kind,
              static_cast<unsigned long>(Fnv1a(*progress.input) >> 32),
              static_cast<unsigned long>(Fnv1a(*progress.input)));
    const std::string path = progress.findings + name;
    CreateDirectoryA(progress.findings.c_str(), nullptr);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    DWORD written = 0;
    WriteFile(file, progress.input->data(), static_cast<DWORD>(progress.input->size()), &written,
              nullptr);
    CloseHandle(file);
    return path;
}

[[noreturn]] void Finding(const char* kind, const std::string& detail) {
    const std::string kept = KeepInput(kind);
    std::fprintf(stderr, "%s: %s on %s: %s\n", progress.name.c_str(), kind, progress.label.c_str(),
                 detail.c_str());
    if (!kept.empty())
        std::fprintf(stderr, "%s: the input is kept as %s\n", progress.name.c_str(), kept.c_str());
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 1);
    std::abort();
}

bool IsFault(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_IN_PAGE_ERROR:
        return true;
    default:
        return false;
    }
}

// The code, and where: the module and the offset in it.
std::string Describe(const EXCEPTION_RECORD& record) {
    char module[MAX_PATH] = "?";
    HMODULE handle = nullptr;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(record.ExceptionAddress), &handle))
        GetModuleFileNameA(handle, module, MAX_PATH);
    char text[MAX_PATH + 96];
    wsprintfA(text, "exception %08lx at %p (%s+%lx)", record.ExceptionCode, record.ExceptionAddress,
              module,
              static_cast<unsigned long>(reinterpret_cast<uintptr_t>(record.ExceptionAddress) -
                                         reinterpret_cast<uintptr_t>(handle)));
    return text;
}

bool InWatchedModule(const void* address) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(address);
    return std::any_of(
        progress.watched.begin(), progress.watched.end(),
        [&](const ModuleRange& range) { return at >= range.start && at < range.end; });
}

LONG CALLBACK FirstChance(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    if (progress.running && IsFault(record.ExceptionCode) &&
        InWatchedModule(record.ExceptionAddress))
        Finding("crash", Describe(record));
    return EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI Unhandled(EXCEPTION_POINTERS* info) {
    Finding("crash", Describe(*info->ExceptionRecord));
}

void Aborted(int) {
    Finding("crash", "abort");
}

DWORD WINAPI Watchdog(LPVOID) {
    for (;;) {
        Sleep(WATCH_INTERVAL_MS);
        if (progress.running && GetTickCount() - progress.started > progress.timeoutMs)
            Finding("timeout", "no end after " + std::to_string(progress.timeoutMs) + " ms");
    }
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const std::string value = argv[i + 1];
        if (option == "--kept")
            options.kept.push_back(value);
        else if (option == "--corpus")
            options.corpus.push_back(value);
        else if (option == "--findings")
            options.findings = value;
        else if (option == "--write-seeds")
            options.writeSeeds = value;
        else if (option == "--runs")
            options.runs = std::strtoul(value.c_str(), nullptr, 10);
        else if (option == "--seconds")
            options.seconds = std::strtoul(value.c_str(), nullptr, 10);
        else if (option == "--seed")
            options.seed = value == "random" ? GetTickCount() ^ GetCurrentProcessId() * 2654435761u
                                             : std::strtoull(value.c_str(), nullptr, 10);
        else
            return false;
    }
    return argc % 2 == 1;
}

// The files of a folder, in name order so that runs repeat.
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(folder + "\\" + found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(files.begin(), files.end());
    return files;
}

Bytes FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

int WriteSeeds(const std::vector<Bytes>& seeds, const std::string& folder) {
    CreateDirectoryA(folder.c_str(), nullptr);
    for (size_t i = 0; i < seeds.size(); ++i) {
        std::ofstream file(folder + "\\seed-" + std::to_string(i + 1), std::ios::binary);
        file.write(reinterpret_cast<const char*>(seeds[i].data()),
                   static_cast<std::streamsize>(seeds[i].size()));
        if (!file)
            return 1;
    }
    return 0;
}

void RunOne(const FuzzTarget& target, const Bytes& input, const std::string& label) {
    progress.input = &input;
    progress.label = label;
    progress.started = GetTickCount();
    progress.running = 1;
    target.run(input);
    progress.running = 0;
}

} // namespace

void FuzzFail(const std::string& why) {
    Finding("fail", why);
}

void FuzzWatchModule(HMODULE module) {
    const uintptr_t start = reinterpret_cast<uintptr_t>(module);
    progress.watched.push_back({start, start + ModuleImageSize(module)});
}

int RunFuzzTarget(const FuzzTarget& target, int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s [--kept <folder>]... [--corpus <folder>]... [--findings <folder>] "
                     "[--runs <n>] [--seconds <n>] [--seed <n>|random]\n",
                     target.name.c_str());
        return 2;
    }
    progress.name = target.name;
    progress.timeoutMs = target.timeoutMs;
    FuzzWatchModule(GetModuleHandleA(nullptr));
    AddVectoredExceptionHandler(1, FirstChance);
    SetUnhandledExceptionFilter(Unhandled);
    std::signal(SIGABRT, Aborted);
    CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));

    size_t kept = 0;
    for (const std::string& folder : options.kept) {
        for (const std::string& file : FilesIn(folder)) {
            RunOne(target, FileBytes(file), file);
            ++kept;
        }
    }

    std::vector<Bytes> seeds = target.seeds();
    if (!options.writeSeeds.empty())
        return WriteSeeds(seeds, options.writeSeeds);
    for (const std::string& folder : options.corpus) {
        for (const std::string& file : FilesIn(folder))
            seeds.push_back(FileBytes(file));
    }
    if (seeds.empty())
        seeds.emplace_back();
    progress.findings = options.findings;
    CMutator mutator(options.seed, target.maxSize, target.tokens);
    std::vector<Bytes> recent;
    const DWORD start = GetTickCount();
    unsigned long runs = 0;
    for (; options.runs ? runs < options.runs : GetTickCount() - start < options.seconds * 1000;
         ++runs) {
        CFuzzRandom& random = mutator.Random();
        const bool deeper = !recent.empty() && random.OneIn(4);
        const Bytes& base =
            deeper ? recent[random.Below(recent.size())] : seeds[random.Below(seeds.size())];
        Bytes input =
            target.mutate ? target.mutate(mutator, base, seeds) : mutator.Mutate(base, seeds);
        if (input.size() > target.maxSize)
            input.resize(target.maxSize);
        RunOne(target, input, "input " + std::to_string(runs + 1));
        if (recent.size() == RECENT_INPUTS)
            recent.erase(recent.begin());
        recent.push_back(std::move(input));
    }
    std::printf("%s: %zu kept inputs passed; ran %lu inputs in %lu s (seed %llu), no findings",
                target.name.c_str(), kept, runs, (GetTickCount() - start + 500) / 1000,
                static_cast<unsigned long long>(options.seed));
    std::printf("%s%s\n", target.summary ? "; " : "",
                target.summary ? target.summary().c_str() : "");
    std::fflush(stdout);
    return 0;
}

std::vector<Bytes> Tokens(std::initializer_list<const char*> texts) {
    std::vector<Bytes> tokens;
    for (const char* text : texts)
        tokens.emplace_back(text, text + std::strlen(text));
    return tokens;
}
