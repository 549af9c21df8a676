// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "ui/Messages.h"

namespace kalvero {

// What any window can show or ask, whatever draws it. A window's behaviour talks to
// its face only through this and its own narrow face; the face lays out, draws and
// hands its events to the behaviour. Texts are UTF-8.
class WindowFace : public Messages {
public:
    // Shows the window in front, or brings it back there.
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual bool shown() const = 0;
    // A disabled window takes no input.
    virtual void setEnabled(bool enabled) = 0;
    virtual void setCaption(const std::string& caption) = 0;
    // The hourglass over the window while it waits for the printer or a file.
    virtual void setBusy(bool busy) = 0;
};

}  // namespace kalvero
