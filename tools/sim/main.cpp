// lumara-sim: the simulated DSP on 127.0.0.1, for running the program and
// its tests without the hardware.
//
//   lumara-sim [--port N] [--version TEXT] [--silent] [--corrupt] [--repeat N] [--empty-data N]
//              [--knob SECONDS] [--firmware-fault STEP:FAULT[:N[:COUNT]]] [--help]
//
// Prints "lumara-sim listening on 127.0.0.1:PORT" once it accepts connections.
#include "tools/sim/SimDevice.h"
#include "tools/sim/SimServer.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

std::atomic<bool> g_Stop{false};

void OnSignal(int) {
    g_Stop = true;
}

constexpr const char kUsage[] =
    "usage: lumara-sim [--port N] [--version TEXT] [--silent] [--corrupt] [--repeat N] "
    "[--empty-data N] "
    "[--knob SECONDS] [--firmware-fault STEP:FAULT[:N[:COUNT]]] [--help]\n"
    "  --port N        TCP port on 127.0.0.1 (0: any free port; default 8899)\n"
    "  --version TEXT  version text the device reports (default VELK-FV1.00)\n"
    "  --silent        answer nothing\n"
    "  --corrupt       every answer fails its checksum\n"
    "  --repeat N      answer the first N frames with a repeat request\n"
    "  --empty-data N  the first N data answers carry no payload\n"
    "  --knob SECONDS  turn the source and a volume every SECONDS, as a user at the device would\n"
    "  --firmware-fault STEP:FAULT[:N[:COUNT]]\n"
    "                  from the Nth frame of a firmware update's STEP (burst, enter, erase, dsp,\n"
    "                  start, data, end) on, answer with FAULT: silence, repeat, wrong (a reply\n"
    "                  naming another step), drop (the connection goes down), close (the step is\n"
    "                  not taken and the connection is closed in order, FIN) or reset (the same\n"
    "                  with RST); COUNT frames only when given, else every later one\n"
    "  --help          this text\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// "STEP:FAULT[:N[:COUNT]]" of --firmware-fault.
bool ParseFirmwareFault(const std::string& text, int& step, sim::FirmwareFault& fault, int& from,
                        int& frames) {
    std::vector<std::string> parts;
    for (std::string::size_type at = 0;;) {
        const std::string::size_type colon = text.find(':', at);
        parts.push_back(
            text.substr(at, colon == std::string::npos ? std::string::npos : colon - at));
        if (colon == std::string::npos) break;
        at = colon + 1;
    }
    if (parts.size() < 2 || parts.size() > 4) return false;
    static const std::pair<const char*, int> steps[] = {
        {"burst", 255}, {"enter", 54}, {"erase", 58}, {"dsp", 59},
        {"start", 55},  {"data", 56},  {"end", 57}};
    static const std::pair<const char*, sim::FirmwareFault> faults[] = {
        {"silence", sim::FirmwareFault::Silence}, {"repeat", sim::FirmwareFault::Repeat},
        {"drop", sim::FirmwareFault::Drop},       {"wrong", sim::FirmwareFault::WrongReply},
        {"close", sim::FirmwareFault::Close},     {"reset", sim::FirmwareFault::Reset}};
    step = 0;
    for (const auto& s : steps)
        if (parts[0] == s.first) step = s.second;
    bool known = false;
    for (const auto& f : faults)
        if (parts[1] == f.first) {
            fault = f.second;
            known = true;
        }
    auto number = [](const std::string& t, int& out) {
        char* end = nullptr;
        const long v = std::strtol(t.c_str(), &end, 10);
        if (t.empty() || *end || v < 1 || v > 1000000) return false;
        out = static_cast<int>(v);
        return true;
    };
    from = 1;
    frames = 0;
    if (parts.size() >= 3 && !number(parts[2], from)) return false;
    if (parts.size() == 4 && !number(parts[3], frames)) return false;
    return step != 0 && known;
}

} // namespace

int main(int argc, char** argv) {
    sim::SimDevice device;
    long port = 8899;
    int knobSeconds = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (a == "--port") {
            const char* v = value();
            if (!v) return Usage();
            port = std::strtol(v, nullptr, 10);
            if (port < 0 || port > 65535) return Usage();
        } else if (a == "--version") {
            const char* v = value();
            if (!v) return Usage();
            device.SetVersion(v);
        } else if (a == "--silent") {
            device.SetSilent(true);
        } else if (a == "--corrupt") {
            device.SetCorruptAll(true);
        } else if (a == "--repeat") {
            const char* v = value();
            if (!v) return Usage();
            device.RepeatNext(std::atoi(v));
        } else if (a == "--empty-data") {
            const char* v = value();
            if (!v) return Usage();
            device.EmptyDataNext(std::atoi(v));
        } else if (a == "--firmware-fault") {
            const char* v = value();
            int step = 0, from = 1, frames = 0;
            sim::FirmwareFault fault = sim::FirmwareFault::None;
            if (!v || !ParseFirmwareFault(v, step, fault, from, frames)) return Usage();
            device.SetFirmwareFault(step, fault, from, frames);
        } else if (a == "--knob") {
            const char* v = value();
            if (!v) return Usage();
            knobSeconds = std::atoi(v);
        } else if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            return Usage();
        }
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    sim::SimTcpServer server(device);
    if (!server.Start(static_cast<uint16_t>(port))) {
        std::fprintf(stderr, "lumara-sim: cannot listen on 127.0.0.1:%ld: %s\n", port,
                     std::strerror(errno));
        return 1;
    }
    std::printf("lumara-sim listening on 127.0.0.1:%u\n", server.Port());
    std::fflush(stdout);
    auto lastTurn = std::chrono::steady_clock::now();
    uint8_t turn = 0;
    while (!g_Stop) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (knobSeconds > 0 &&
            std::chrono::steady_clock::now() - lastTurn >= std::chrono::seconds(knobSeconds)) {
            lastTurn = std::chrono::steady_clock::now();
            static const uint8_t sources[] = {1, 3, 0, 2, 5};
            ++turn;
            device.TurnSource(sources[turn % 5]);
            device.TurnVolume(0, static_cast<uint8_t>(40 + turn % 27));
        }
    }
    server.Stop();
    return 0;
}
