// Measures how long a program takes from process start until its window titled "Velloq" is
// mapped on the X server named by DISPLAY. Runs each program given N times, alternating them,
// each run in a fresh start folder with a "textos" subfolder, and prints every time and the
// median in milliseconds.
//
//   velloq_startup_bench RUNS PROGRAM...
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string windowName(xcb_connection_t* conn, xcb_window_t window) {
    xcb_get_property_cookie_t cookie =
        xcb_get_property(conn, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(conn, cookie, nullptr);
    std::string name;
    if (reply) {
        name.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                    static_cast<size_t>(xcb_get_property_value_length(reply)));
        free(reply);
    }
    return name;
}

// Milliseconds from fork to the map of the window named "Velloq"; negative when the program
// ended or nothing was mapped within 20 seconds.
double measure(xcb_connection_t* conn, xcb_window_t root, const std::string& program,
               const std::filesystem::path& folder) {
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(conn, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(conn);

    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(folder.c_str()) != 0) _exit(127);
        if (FILE* quiet = std::freopen("/dev/null", "w", stderr); !quiet) _exit(127);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    double result = -1;
    while (Clock::now() - start < std::chrono::seconds(20)) {
        xcb_generic_event_t* event = xcb_poll_for_event(conn);
        if (!event) {
            if (waitpid(child, nullptr, WNOHANG) == child) return -1;
            usleep(200);
            continue;
        }
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
        const xcb_window_t window = mapped ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window : 0;
        free(event);
        if (mapped && windowName(conn, window) == "Velloq") {
            result = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            break;
        }
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    return result;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM...\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    xcb_connection_t* conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn)) {
        std::fprintf(stderr, "no X server\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;

    const std::filesystem::path base = std::filesystem::temp_directory_path() /
                                       ("velloq-startup-" + std::to_string(getpid()));
    std::vector<std::vector<double>> times(static_cast<size_t>(argc - 2));
    for (int run = 0; run < runs; ++run) {
        for (int p = 2; p < argc; ++p) {
            const auto folder = base / std::to_string(run * argc + p);
            std::filesystem::create_directories(folder / "textos");
            const double ms = measure(conn, root, argv[p], folder);
            if (ms < 0) {
                std::fprintf(stderr, "%s: no window\n", argv[p]);
                return 1;
            }
            times[static_cast<size_t>(p - 2)].push_back(ms);
        }
    }
    std::filesystem::remove_all(base);

    for (int p = 2; p < argc; ++p) {
        const auto& t = times[static_cast<size_t>(p - 2)];
        std::printf("%s\n  runs (ms):", argv[p]);
        for (double ms : t) std::printf(" %.1f", ms);
        std::printf("\n  median: %.1f ms\n", median(t));
    }
    if (argc > 3)
        std::printf("ratio of the first program's median to the second's: %.2f\n",
                    median(times[0]) / median(times[1]));
    xcb_disconnect(conn);
    return 0;
}
