// SPDX-License-Identifier: MIT
#include "app/qt/EndOnSignals.h"

#include <QSocketNotifier>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#endif

#include "app/qt/QtGlowna.h"

namespace kalvero {

#ifndef _WIN32
namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
int g_pipe[2] = {-1, -1};

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
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) {
        ::sigaction(signal, &action, nullptr);
    }
#endif
}

EndOnSignals::~EndOnSignals() {
#ifndef _WIN32
    if (m_notifier == nullptr) {
        return;
    }
    for (const int signal : kSignals) {
        std::signal(signal, SIG_DFL);
    }
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
#endif
}

}  // namespace kalvero
