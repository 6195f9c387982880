// Fuzz driver: tev_fuzz.exe --count N [--seed S] [--target NAME] [--out DIR] [--gentle] [--jobs J]
// [--timeout MS] [--memory MB], or tev_fuzz.exe --replay FILE --target NAME.
//
// Each target's inputs run in a child process of this program (a worker), watched from here: an
// input that ends the worker is a crash, one that spends more processor time than the time bound
// is a hang (the worker is killed; a busy machine slows an input without making it one, so wall
// time counts only far beyond the bound), one that asks for more memory than the bound is an over-allocation. The run then
// goes on with a new worker from the next input. Inputs are rebuilt from seed, target and number,
// so failing ones are saved from here, and the last line sums up the run.
#include "FuzzTargets.h"
#include "ProgramStart.h"
#include "TestSupport.h"

#include <windows.h>

#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <memory>
#include <new>
#include <string>

namespace {

// Memory the code under test may hold at once through operator new (--memory); beyond it a request
// fails. By default twice what a 16-megapixel photo needs: in a 32-bit process more is a hostile
// file's doing.
constexpr unsigned kDefaultAllocationMegabytes = 128;
// What a worker may commit in all beyond the bound above (C libraries allocate without operator
// new); checked from outside.
constexpr SIZE_T kCommitBeyondAllocationBound = 640u << 20;
constexpr DWORD kOverAllocationExit = 0xA110C;
constexpr DWORD kWorkerUnusable = 2;

std::atomic<size_t> g_liveBytes{0};
std::atomic<size_t> g_peakBytes{0}; // the most g_liveBytes reached, for replays to report
std::atomic<size_t> g_allocationBound{SIZE_MAX}; // only workers refuse allocations
std::atomic<bool> g_overAllocated{false};        // a request was refused during this input

} // namespace

void* operator new(size_t size) {
    if (g_liveBytes.load() + size > g_allocationBound) {
        g_overAllocated = true;
        throw std::bad_alloc();
    }
    void* block = malloc(size ? size : 1);
    if (!block) {
        throw std::bad_alloc();
    }
    const size_t live = g_liveBytes += _msize(block);
    if (live > g_peakBytes.load()) {
        g_peakBytes = live;
    }
    return block;
}

void operator delete(void* block) noexcept {
    if (block) {
        g_liveBytes -= _msize(block);
        free(block);
    }
}

void operator delete(void* block, size_t) noexcept {
    operator delete(block);
}

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
// A process or file mapping handle, closed once; null when none.
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

// What a worker tells its watcher, in memory both share.
struct Progress {
    volatile LONG index;    // the input running now, or the next one
    volatile LONG running;  // 1 while an input runs
    volatile DWORD started; // GetTickCount when it started
    volatile DWORD allowance; // milliseconds the input may take beyond the run's time bound
    // The worker's processor time (user and kernel) in milliseconds: published by a thread of its
    // own every few milliseconds, as the system does not tell another process's times under Wine.
    volatile DWORD cpuMs;
    volatile DWORD cpuStartedMs; // cpuMs when the input started
};

// Wall time may run this many times the bound before an input counts as a hang whatever its
// processor time: an input that waits without working would otherwise never end.
constexpr DWORD kWallTimeFactor = 10;

DWORD OwnProcessorMs() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        return 0;
    }
    const auto ticks = [](const FILETIME& time) {
        return static_cast<ULONGLONG>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
    };
    return static_cast<DWORD>((ticks(kernel) + ticks(user)) / 10000);
}

DWORD WINAPI PublishProcessorTime(void* shared) {
    auto* progress = static_cast<Progress*>(shared);
    for (;;) {
        progress->cpuMs = OwnProcessorMs();
        Sleep(10);
    }
}

enum class Failure { Crash, Hang, OverAllocation };

const char* FailureName(Failure failure) {
    switch (failure) {
    case Failure::Crash:
        return "crash";
    case Failure::Hang:
        return "hang";
    default:
        return "over-allocation";
    }
}

struct Options {
    unsigned count = 2000;
    uint32_t seed = 1;
    std::string target; // empty: every target
    std::string out = "fuzz-findings";
    std::string replay;
    bool gentle = false;
    unsigned jobs = 2;
    DWORD timeoutMs = 2000;
    unsigned memoryMegabytes = kDefaultAllocationMegabytes;
    // Worker only: the shared progress and the first input.
    std::string worker;
    unsigned from = 0;
};

std::wstring DemoFolder() {
    return TEV_FUZZ_DEMO_PATH;
}

FuzzTarget* FindTarget(const std::vector<std::unique_ptr<FuzzTarget>>& targets, const std::string& name) {
    for (const auto& target : targets) {
        if (name == target->Name()) {
            return target.get();
        }
    }
    return nullptr;
}

LONG WINAPI LeaveOnCrash(EXCEPTION_POINTERS* exception) {
    // No crash dialog or debugger: the watcher sees the exit code.
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Runs inputs from.. of one target, telling the watcher which one runs; ends at the first over-allocation.
int RunWorker(const Options& options) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(LeaveOnCrash);
    const std::wstring mappingName = Widen(options.worker);
    const OwnedHandle mapping(OpenFileMappingW(FILE_MAP_WRITE, FALSE, mappingName.c_str()));
    if (!mapping) {
        return kWorkerUnusable;
    }
    auto* progress =
        static_cast<Progress*>(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, sizeof(Progress)));
    if (!progress) {
        return kWorkerUnusable;
    }
    ProgramStart start;
    // Ends with the worker.
    CloseHandle(CreateThread(nullptr, 0, PublishProcessorTime, progress, 0, nullptr));
    const auto targets = MakeTargets(DemoFolder());
    FuzzTarget* target = FindTarget(targets, options.target);
    if (!target) {
        return kWorkerUnusable;
    }
    const std::vector<Bytes> corpus = target->Corpus();
    g_allocationBound = static_cast<size_t>(options.memoryMegabytes) << 20;
    for (unsigned index = options.from; index < options.count; ++index) {
        progress->index = static_cast<LONG>(index);
        const Bytes input = GenerateInput(*target, corpus, options.seed, index, options.gentle);
        progress->allowance = target->TimeAllowanceMs(input);
        progress->started = GetTickCount();
        progress->cpuMs = OwnProcessorMs();
        progress->cpuStartedMs = progress->cpuMs;
        progress->running = 1;
        g_overAllocated = false;
        try {
            target->Run(input);
        } catch (const std::bad_alloc&) {
            g_overAllocated = true;
        }
        if (g_overAllocated) {
            return static_cast<int>(kOverAllocationExit);
        }
        progress->running = 0;
    }
    progress->index = static_cast<LONG>(options.count);
    return 0;
}

// Every worker belongs to it, so that none outlives this process (a hang must not run on when
// the run itself is stopped).
HANDLE WorkerJob() {
    static const OwnedHandle job = [] {
        OwnedHandle created(CreateJobObjectW(nullptr, nullptr));
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(created.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));
        return created;
    }();
    return job.get();
}

struct Tally {
    unsigned inputs = 0;
    unsigned crashes = 0;
    unsigned hangs = 0;
    unsigned overAllocations = 0;
};

// One target's run: starts workers one after another until every input ran.
class Campaign {
public:
    Campaign(FuzzTarget& target, const Options& options, int number)
        : m_target(target), m_options(options), m_corpus(target.Corpus()),
          m_mappingName(L"tev-fuzz-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(number)),
          m_mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Progress),
                                       m_mappingName.c_str())),
          m_progress(static_cast<Progress*>(
              MapViewOfFile(m_mapping.get(), FILE_MAP_WRITE, 0, 0, sizeof(Progress)))) {
        m_tally.inputs = options.count;
    }
    ~Campaign() {
        if (m_progress) {
            UnmapViewOfFile(const_cast<Progress*>(m_progress));
        }
    }

    bool Done() const { return m_next >= m_options.count && !m_worker; }
    HANDLE Worker() const { return m_worker.get(); }
    const Tally& Result() const { return m_tally; }

    // Starts a worker when none runs, or watches the one that does; false when nothing is left.
    bool Step() {
        if (!m_worker) {
            if (m_next >= m_options.count) {
                return false;
            }
            if (m_next == 0) {
                m_startTick = GetTickCount();
            }
            return StartWorker();
        }
        if (WaitForSingleObject(m_worker.get(), 0) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(m_worker.get(), &code);
            m_worker.reset();
            const bool finished =
                !m_progress->running && m_progress->index >= static_cast<LONG>(m_options.count);
            if (code == kWorkerUnusable) {
                printf("%s: the worker could not set up\n", m_target.Name());
                ++m_tally.crashes;
                m_next = m_options.count;
            } else if (!finished || code != 0) {
                // A worker that dies while tearing down counts against its last input.
                const LONG last = m_progress->index;
                Record(std::min<LONG>(last, static_cast<LONG>(m_options.count) - 1),
                       code == kOverAllocationExit ? Failure::OverAllocation : Failure::Crash, code);
            } else {
                m_next = m_options.count;
            }
            return true;
        }
        if (m_progress->running && RunsTooLong()) {
            Stop(Failure::Hang, 0);
        } else if (CommittedBytes() > CommitBound()) {
            Stop(Failure::OverAllocation, 0);
        }
        return true;
    }

    bool RunsTooLong() const {
        const DWORD bound = m_options.timeoutMs + m_progress->allowance;
        // The publishing thread may write a time read just before the input started.
        const DWORD cpu = m_progress->cpuMs;
        const DWORD cpuStarted = m_progress->cpuStartedMs;
        return (cpu > cpuStarted && cpu - cpuStarted > bound) ||
               GetTickCount() - m_progress->started > kWallTimeFactor * bound;
    }

    void PrintSummary() const {
        printf("%s: %u inputs, %u crashes, %u hangs, %u over-allocations, %.1f s\n", m_target.Name(),
               m_tally.inputs, m_tally.crashes, m_tally.hangs, m_tally.overAllocations,
               (GetTickCount() - m_startTick) / 1000.0);
        fflush(stdout);
    }

private:
    bool StartWorker() {
        m_progress->index = static_cast<LONG>(m_next);
        m_progress->running = 0;
        wchar_t exe[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        std::wstring command =
            L"\"" + std::wstring(exe) + L"\" --worker " + m_mappingName + L" --target " +
            Widen(m_target.Name()) + L" --seed " + std::to_wstring(m_options.seed) + L" --from " +
            std::to_wstring(m_next) + L" --count " + std::to_wstring(m_options.count) + L" --memory " +
            std::to_wstring(m_options.memoryMegabytes) + (m_options.gentle ? L" --gentle" : L"");
        // The XML parser complains on standard error about every broken input: keep that quiet.
        SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
        const OwnedHandle quiet(CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                            &inheritable, OPEN_EXISTING, 0, nullptr));
        STARTUPINFOW startup{sizeof(startup)};
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = quiet.get();
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                            nullptr, &startup, &process)) {
            printf("%s: cannot start a worker (error %lu)\n", m_target.Name(), GetLastError());
            m_next = m_options.count;
            return false;
        }
        AssignProcessToJobObject(WorkerJob(), process.hProcess);
        ResumeThread(process.hThread);
        CloseHandle(process.hThread);
        m_worker.reset(process.hProcess);
        return true;
    }

    SIZE_T CommitBound() const {
        return (static_cast<SIZE_T>(m_options.memoryMegabytes) << 20) + kCommitBeyondAllocationBound;
    }

    SIZE_T CommittedBytes() const {
        PROCESS_MEMORY_COUNTERS counters{sizeof(counters)};
        return GetProcessMemoryInfo(m_worker.get(), &counters, sizeof(counters)) ? counters.PagefileUsage : 0;
    }

    void Stop(Failure failure, DWORD code) {
        const LONG index = m_progress->index;
        TerminateProcess(m_worker.get(), 1);
        WaitForSingleObject(m_worker.get(), INFINITE);
        m_worker.reset();
        Record(index, failure, code);
    }

    // Saves the input that failed and goes on after it.
    void Record(LONG index, Failure failure, DWORD code) {
        (failure == Failure::Crash  ? m_tally.crashes
         : failure == Failure::Hang ? m_tally.hangs
                                    : m_tally.overAllocations)++;
        const Bytes input =
            GenerateInput(m_target, m_corpus, m_options.seed, static_cast<uint32_t>(index), m_options.gentle);
        const std::string name = m_options.out + "\\" + m_target.Name() + "-" + FailureName(failure) + "-s" +
                                 std::to_string(m_options.seed) + "-" + std::to_string(index) + "." +
                                 m_target.Extension();
        CreateDirectoryW(Widen(m_options.out).c_str(), nullptr);
        WriteBytesFile(Widen(name), input);
        printf("%s input %ld: %s (exit code 0x%lX, %zu bytes) saved as %s\n", m_target.Name(), index,
               FailureName(failure), code, input.size(), name.c_str());
        fflush(stdout);
        m_next = static_cast<unsigned>(index) + 1;
    }

    FuzzTarget& m_target;
    const Options& m_options;
    std::vector<Bytes> m_corpus;
    std::wstring m_mappingName;
    OwnedHandle m_mapping;
    volatile Progress* m_progress; // a view of m_mapping, unmapped in the destructor
    OwnedHandle m_worker;          // the running worker process, if any
    unsigned m_next = 0;           // the first input the next worker runs
    Tally m_tally;
    DWORD m_startTick = 0; // when the first worker started
};

// Runs the chosen targets, some at once, and prints the summary line.
int RunCampaigns(const Options& options) {
    ProgramStart start;
    const auto targets = MakeTargets(DemoFolder());
    std::vector<std::unique_ptr<Campaign>> campaigns;
    for (const auto& target : targets) {
        if (options.target.empty() || options.target == target->Name()) {
            campaigns.push_back(
                std::make_unique<Campaign>(*target, options, static_cast<int>(campaigns.size())));
        }
    }
    if (campaigns.empty()) {
        printf("no target named %s\n", options.target.c_str());
        return 2;
    }
    Tally total;
    size_t nextToStart = 0;
    std::vector<Campaign*> active;
    while (!active.empty() || nextToStart < campaigns.size()) {
        while (active.size() < options.jobs && nextToStart < campaigns.size()) {
            active.push_back(campaigns[nextToStart++].get());
        }
        std::vector<HANDLE> workers;
        for (size_t k = 0; k < active.size();) {
            Campaign* campaign = active[k];
            if (!campaign->Step() || campaign->Done()) {
                campaign->PrintSummary();
                const Tally& tally = campaign->Result();
                total.inputs += tally.inputs;
                total.crashes += tally.crashes;
                total.hangs += tally.hangs;
                total.overAllocations += tally.overAllocations;
                active.erase(active.begin() + k);
                continue;
            }
            if (campaign->Worker()) {
                workers.push_back(campaign->Worker());
            }
            ++k;
        }
        if (!workers.empty()) {
            WaitForMultipleObjects(static_cast<DWORD>(workers.size()), workers.data(), FALSE, 20);
        }
    }
    // Over-allocations count as hangs: both are a file that makes the program unusable without a crash.
    printf("fuzz: %u inputs, %u crashes, %u hangs\n", total.inputs, total.crashes,
           total.hangs + total.overAllocations);
    return total.crashes + total.hangs + total.overAllocations == 0 ? 0 : 1;
}

// Runs one saved input in this process and tells how long it took.
int Replay(const Options& options) {
    ProgramStart start;
    const auto targets = MakeTargets(DemoFolder());
    FuzzTarget* target = FindTarget(targets, options.target);
    if (!target) {
        printf("no target named %s\n", options.target.c_str());
        return 2;
    }
    const std::string bytes = ReadBytes(Widen(options.replay));
    const Bytes input(bytes.begin(), bytes.end());
    LARGE_INTEGER frequency, from, to;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&from);
    const size_t heldBefore = g_liveBytes.load();
    g_peakBytes = heldBefore;
    target->Run(input);
    QueryPerformanceCounter(&to);
    printf("%s: %zu bytes, %.3f s, %zu bytes still held, at most %zu more held\n", options.replay.c_str(),
           input.size(), double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart), g_liveBytes.load(),
           g_peakBytes.load() - heldBefore);
    return 0;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int k = 1; k < argc; ++k) {
        const std::string name = argv[k];
        if (name == "--gentle") {
            options.gentle = true;
            continue;
        }
        if (k + 1 >= argc) {
            return false;
        }
        const char* value = argv[++k];
        const unsigned number = static_cast<unsigned>(strtoul(value, nullptr, 10));
        if (name == "--count") {
            options.count = number;
        } else if (name == "--seed") {
            options.seed = number;
        } else if (name == "--target") {
            options.target = value;
        } else if (name == "--out") {
            options.out = value;
        } else if (name == "--replay") {
            options.replay = value;
        } else if (name == "--jobs") {
            options.jobs = number ? number : 1;
        } else if (name == "--timeout") {
            options.timeoutMs = number;
        } else if (name == "--memory") {
            options.memoryMegabytes = number ? std::min(number, 2047u) : kDefaultAllocationMegabytes;
        } else if (name == "--worker") {
            options.worker = value;
        } else if (name == "--from") {
            options.from = number;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options) || (!options.replay.empty() && options.target.empty())) {
        printf("usage: tev_fuzz --count N [--seed S] [--target NAME] [--out DIR] [--gentle] [--jobs J] "
               "[--timeout MS] [--memory MB]\n       tev_fuzz --replay FILE --target NAME\n");
        return 2;
    }
    if (!options.worker.empty()) {
        return RunWorker(options);
    }
    if (!options.replay.empty()) {
        return Replay(options);
    }
    return RunCampaigns(options);
}
