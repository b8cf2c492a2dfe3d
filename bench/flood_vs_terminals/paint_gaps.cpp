// The longest time the screen goes without a paint, seen from outside through X damage events.
//   paint_gaps [window-id]   (default: the root window, so every window on the display)
// Prints "ready" once watching; on SIGINT or SIGTERM prints the number of paints and the longest
// gap in milliseconds, the stretch from the last paint to the stop included.
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

} // namespace

int main(int argc, char **argv)
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "paint_gaps: cannot open the display\n");
        return 1;
    }
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(connection, &xcb_damage_id);
    if (!extension || !extension->present) {
        std::fprintf(stderr, "paint_gaps: the display has no DAMAGE extension\n");
        return 1;
    }
    free(xcb_damage_query_version_reply(connection,
        xcb_damage_query_version(connection, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION), nullptr));
    const xcb_window_t window = argc > 1 ? xcb_window_t(std::strtoul(argv[1], nullptr, 0))
                                         : xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_damage_damage_t damage = xcb_generate_id(connection);
    xcb_damage_create(connection, damage, window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    xcb_flush(connection);

    struct sigaction action { };
    action.sa_handler = requestStop;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::printf("ready\n");
    std::fflush(stdout);

    const int damageNotify = extension->first_event + XCB_DAMAGE_NOTIFY;
    Clock::time_point last = Clock::now();
    double longest = 0;
    long paints = 0;
    pollfd watched{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (!stopRequested) {
        poll(&watched, 1, 100);
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            if ((event->response_type & 0x7f) == damageNotify) {
                const Clock::time_point now = Clock::now();
                longest = std::max(longest, msBetween(last, now));
                last = now;
                ++paints;
                // Re-arms the report for the next change.
                xcb_damage_subtract(connection, damage, XCB_NONE, XCB_NONE);
            }
            free(event);
        }
        xcb_flush(connection);
        if (xcb_connection_has_error(connection))
            break;
    }
    longest = std::max(longest, msBetween(last, Clock::now()));
    std::printf("paints %ld longest-gap-ms %.0f\n", paints, longest);
    xcb_disconnect(connection);
    return 0;
}
