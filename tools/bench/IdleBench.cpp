// The program connected to the simulated device on 127.0.0.1 with nothing to
// send, its window shown offscreen and its event loop waiting as it does for
// the user. Per second: the status requests the device receives (target: at
// most 100, the device asked on every other 5 ms step), the status messages
// the main view receives (target: none while the device's status does not
// change) and the wake-ups of the user-interface thread; and the CPU time of
// the program's threads, the simulated device's own thread left out, as a
// share of one core.
#include "tools/bench/ProgramOnSim.h"
#include "tools/bench/QtBenchMain.h"

#include "model/FrameBuilder.h"

#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <dirent.h>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// CPU time in nanoseconds of every thread of this process except the
// simulated device's.
long long ProgramCpuNs() {
    long long ns = 0;
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks) return 0;
    while (const dirent* e = readdir(tasks)) {
        if (e->d_name[0] == '.') continue;
        const std::string dir = std::string("/proc/self/task/") + e->d_name;
        if (ReadLine(dir + "/comm") == sim::SimTcpServer::kThreadName) continue;
        ns += std::atoll(ReadLine(dir + "/schedstat").c_str()); // time on a CPU first
    }
    closedir(tasks);
    return ns;
}

// How often this (the user-interface) thread has gone to sleep and woken again.
long long UiThreadWakeups() {
    std::ifstream status("/proc/self/task/" + std::to_string(gettid()) + "/status");
    std::string line;
    long long n = 0;
    while (std::getline(status, line))
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) n = std::atoll(line.c_str() + 24);
    return n;
}

void RunEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void BM_IdleLink(benchmark::State& state) {
    ProgramOnSim<> program;
    if (!program.Start() || !program.Connect(15000)) {
        state.SkipWithError(program.error.c_str());
        return;
    }
    RunEventLoopFor(300); // the transfer window and the first status are over
    double seconds = 0, requests = 0, messages = 0, wakeups = 0, cpuNs = 0;
    for (auto _ : state) {
        const size_t frames = program.device.FrameCount();
        const int statusMessages = program.view->statusMessages;
        const long long cpu = ProgramCpuNs();
        const long long woken = UiThreadWakeups();
        const auto start = Clock::now();
        RunEventLoopFor(1000);
        const double s = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(s);
        seconds += s;
        cpuNs += static_cast<double>(ProgramCpuNs() - cpu);
        wakeups += static_cast<double>(UiThreadWakeups() - woken);
        messages += program.view->statusMessages - statusMessages;
        const size_t sent = program.device.FrameCount() - frames;
        const auto seen = program.device.Seen();
        for (size_t i = seen.size() - std::min(sent, seen.size()); i < seen.size(); ++i) {
            const sim::SeenFrame& f = seen[i];
            if (f.command != kCmdRead || f.group != kGroupSystem || f.channel != kRecordStatus) {
                state.SkipWithError("the link was not idle");
                return;
            }
        }
        requests += static_cast<double>(sent);
    }
    state.counters["requests_per_s"] = requests / seconds;
    state.counters["status_msgs_per_s"] = messages / seconds;
    state.counters["ui_wakeups_per_s"] = wakeups / seconds;
    state.counters["cpu_percent"] = 100.0 * cpuNs / 1e9 / seconds;
}
BENCHMARK(BM_IdleLink)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
