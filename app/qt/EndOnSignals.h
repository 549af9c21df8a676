// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QSocketNotifier;

namespace kalvero {

class QtGlowna;

// SIGTERM (a logout, a shutdown), SIGHUP and SIGINT end the program as "Koniec
// programu" and the frame's close box do: the main window is closed, so that a running
// transfer is stopped as by "Przerwij" first and the port is let go of on the way out.
// The handler only writes a byte to a pipe; the event loop does the rest, also while
// a transfer serves events between answers; a second signal ends the program at once.
// A signal ignored at the start stays ignored. One at a time, for the program's life.
class EndOnSignals final : public QObject {
public:
    explicit EndOnSignals(QtGlowna& window);
    ~EndOnSignals() override;

    EndOnSignals(const EndOnSignals&) = delete;
    EndOnSignals& operator=(const EndOnSignals&) = delete;

private:
    QtGlowna& m_window;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace kalvero
