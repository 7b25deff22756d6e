// The program as a user starts it: from exec to the first painted frame of the panel, its
// resident memory once it stands, and the CPU it burns over 10 idle seconds with its 60 Hz timer
// running. The program runs under its own Xvfb with the emulated speaker preloaded.
//
// Counters: first_frame_ms (exec to painted header), rss_mib (VmRSS after start), idle_cpu_pct
// (user + system time over 10 s of wall time, in percent of one core).
#include <benchmark/benchmark.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Windows come and go while we look at them: a request about one that has just gone fails with
// BadWindow, which only means "not the panel (yet)".
int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}

/** An Xvfb of our own on the first free display, for the life of the benchmark program. */
class VirtualDisplay
{
public:
    VirtualDisplay()
    {
        int fds[2];
        if (pipe(fds) != 0)
            throw std::runtime_error("pipe");
        const std::string fd = std::to_string(fds[1]);
        const char* argv[] = {"Xvfb",         "-displayfd", fd.c_str(), "-screen", "0",
                              "1280x1024x24", "-nolisten",  "tcp",      nullptr};
        if (posix_spawnp(&pid, "Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            throw std::runtime_error("cannot start Xvfb");
        close(fds[1]);
        // Xvfb writes its display number once it accepts clients; bounded by Xvfb's own start.
        char number[16] = {};
        const auto got = read(fds[0], number, sizeof number - 1);
        close(fds[0]);
        if (got <= 0)
            throw std::runtime_error("Xvfb gave no display number");
        name = ":" + std::string(number, static_cast<std::size_t>(got));
        while (!name.empty() && (name.back() == '\n'))
            name.pop_back();
        XSetErrorHandler(ignoreXError);
        display = XOpenDisplay(name.c_str());
        if (display == nullptr)
            throw std::runtime_error("cannot open " + name);
    }
    ~VirtualDisplay()
    {
        XCloseDisplay(display);
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }

    pid_t pid = 0;
    std::string name;
    Display* display = nullptr;
};

VirtualDisplay& virtualDisplay()
{
    static VirtualDisplay instance;
    return instance;
}

/** The panel's window once it is mapped and its header shows painted pixels; 0 until then. */
Window paintedPanel(Display* display)
{
    Window root = DefaultRootWindow(display);
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, root, &root, &parent, &children, &count) == 0)
        return 0;
    // The panel is the one viewable top-level window 1100 pixels wide.
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes) != 0 &&
            attributes.map_state == IsViewable && attributes.width == 1100)
            found = children[i];
    }
    XFree(children);
    if (found == 0)
        return 0;
    // The header's face at (60, 20) is anthracite once painted, black before.
    XImage* image = XGetImage(display, found, 60, 20, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr)
        return 0;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return pixel != 0 ? found : 0;
}

/** The started program; SIGTERM and a reap when it goes. */
class Program
{
public:
    Program()
    {
        home = "/tmp/pellaro-bench-XXXXXX";
        if (mkdtemp(home.data()) == nullptr)
            throw std::runtime_error("mkdtemp");
        const std::string display = "DISPLAY=" + virtualDisplay().name;
        const std::string preload = std::string("LD_PRELOAD=") + PELLARO_PRELOAD;
        const std::string homeVariable = "HOME=" + home;
        const std::string config = "XDG_CONFIG_HOME=" + home + "/.config";
        const char* envp[] = {display.c_str(),
                              preload.c_str(),
                              homeVariable.c_str(),
                              config.c_str(),
                              "ASAN_OPTIONS=detect_leaks=0",
                              nullptr};
        const char* argv[] = {PELLARO_PROGRAM, nullptr};
        started = Clock::now();
        if (posix_spawn(&pid, PELLARO_PROGRAM, nullptr, nullptr, const_cast<char**>(argv),
                        const_cast<char**>(envp)) != 0)
            throw std::runtime_error("cannot start the program");
    }
    ~Program()
    {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        std::system(("rm -rf '" + home + "'").c_str());
    }

    /** Milliseconds from exec to the first painted frame; throws after 60 s. */
    double waitForFirstFrame()
    {
        const auto limit = started + std::chrono::seconds(60);
        while (Clock::now() < limit) {
            if (paintedPanel(virtualDisplay().display) != 0)
                return std::chrono::duration<double, std::milli>(Clock::now() - started).count();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        throw std::runtime_error("no painted panel within 60 s");
    }

    double residentMiB() const
    {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("VmRSS:", 0) == 0)
                return std::stod(line.substr(6)) / 1024.0;
        return 0.0;
    }

    /** User plus system CPU time so far, in seconds. */
    double cpuSeconds() const
    {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        unsigned long long user = 0, system = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i == 14)
                user = std::stoull(field);
            if (i == 15)
                system = std::stoull(field);
        }
        return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

private:
    std::string home;
    pid_t pid = 0;
    Clock::time_point started;
};

void BM_ColdStartToFirstFrame(benchmark::State& state)
try {
    double rss = 0.0;
    for (auto _ : state) {
        Program program;
        const double ms = program.waitForFirstFrame();
        state.SetIterationTime(ms / 1000.0);
        state.counters["first_frame_ms"] = ms;
        // Let the first read of the speaker finish before taking the memory.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        rss = program.residentMiB();
    }
    state.counters["rss_mib"] = rss;
} catch (const std::exception& error) {
    state.SkipWithError(error.what());
}
BENCHMARK(BM_ColdStartToFirstFrame)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_IdleCpuOverTenSeconds(benchmark::State& state)
try {
    for (auto _ : state) {
        Program program;
        program.waitForFirstFrame();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const double before = program.cpuSeconds();
        const auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        const double used = program.cpuSeconds() - before;
        state.SetIterationTime(wall);
        state.counters["idle_cpu_pct"] = 100.0 * used / wall;
    }
} catch (const std::exception& error) {
    state.SkipWithError(error.what());
}
BENCHMARK(BM_IdleCpuOverTenSeconds)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
