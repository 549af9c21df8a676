// SPDX-License-Identifier: MIT
#include "app/qt/EndOnSignals.h"

#include <QSocketNotifier>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iterator>
#endif

#include "app/qt/QtGlowna.h"

namespace kalvero {

#ifndef _WIN32
namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
int g_pipe[2] = {-1, -1};
// What each signal did before, given back at the end; one ignored at the start (nohup,
// a background job) is left so.
struct sigaction g_before[std::size(kSignals)];
bool g_taken[std::size(kSignals)] = {};

void noteSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a wake-up: the byte may be dropped.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

}  // namespace
#endif

EndOnSignals::EndOnSignals(QtGlowna& window) : m_window(window) {
#ifndef _WIN32
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;  // the signals keep their usual effect
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
        }
        m_window.close();
    });
    // The first signal closes as the frame does; a second, while a transfer will not
    // stop, ends the program at once, as it would have without us.
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        g_taken[i] = ::sigaction(kSignals[i], nullptr, &g_before[i]) == 0 &&
                     g_before[i].sa_handler != SIG_IGN &&
                     ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
#endif
}

EndOnSignals::~EndOnSignals() {
#ifndef _WIN32
    if (m_notifier == nullptr) {
        return;
    }
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        if (g_taken[i]) {
            ::sigaction(kSignals[i], &g_before[i], nullptr);
            g_taken[i] = false;
        }
    }
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
#endif
}

}  // namespace kalvero
