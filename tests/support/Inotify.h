#pragma once
// Watching a folder for what a restore does to it, in the tests and in the
// crash tool (which does not link the test support library).

#include <functional>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace Inotify {
// Reads the events of the inotify descriptor `in` until `stop` returns true
// for one (true), or until none has come for `timeoutMs` (false).
inline bool WaitFor(int in, int timeoutMs, const std::function<bool(const inotify_event&)>& stop) {
    alignas(inotify_event) char buffer[4096];
    pollfd p{in, POLLIN, 0};
    while (::poll(&p, 1, timeoutMs) > 0) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            if (stop(*e)) return true;
            at += ssize_t(sizeof(inotify_event) + e->len);
        }
    }
    return false;
}
}  // namespace Inotify
