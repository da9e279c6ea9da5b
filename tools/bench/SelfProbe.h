// Benchmarks that measure a whole process (its start, its memory) start
// themselves again with --probe and read what the probe printed: each
// iteration is a fresh process, as a user's start is.
#pragma once

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace selfprobe {

inline long long MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// A field of /proc/self/status in kilobytes ("VmRSS:", "VmHWM:").
inline long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

// This program's own file, to start it again.
inline std::string SelfPath(const char* argv0) {
    char self[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    return n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string(argv0);
}

// A settings folder of the run's own ("" when none can be made).
inline std::string MakeConfigDir() {
    char dir[] = "/tmp/lumara-bench-XXXXXX";
    return mkdtemp(dir) ? std::string(dir) : std::string();
}

inline void RemoveConfigDir(const std::string& dir) {
    if (!dir.empty()) std::system(("rm -rf " + dir).c_str());
}

// Runs `self --probe` with its settings in configDir, on the offscreen
// platform (when keepPlatform, only if no other is named), and returns what
// it printed; startNs is the clock just before the start.
inline std::string Run(const std::string& self, const std::string& configDir, bool keepPlatform,
                       long long* startNs = nullptr) {
    int out[2];
    if (pipe(out) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (!keepPlatform || !getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_CONFIG_HOME", configDir.c_str(), 1);
    if (!getenv("XDG_RUNTIME_DIR")) setenv("XDG_RUNTIME_DIR", configDir.c_str(), 1);
    char* args[] = {const_cast<char*>(self.c_str()), const_cast<char*>("--probe"), nullptr};
    if (startNs) *startNs = MonotonicNs();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string text;
    if (spawned == 0) {
        char buf[256];
        ssize_t n;
        while ((n = read(out[0], buf, sizeof buf)) > 0)
            text.append(buf, static_cast<size_t>(n));
        int status = 0;
        waitpid(pid, &status, 0);
    }
    close(out[0]);
    return text;
}

} // namespace selfprobe
