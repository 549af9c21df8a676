// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace kalvero {

// The caption of every plain message box, and the program's name on the task bar.
inline constexpr const char* kApplicationTitle = "Kalvero";

// Message boxes, as a window shows them; texts are UTF-8. Every box of the windows
// goes through one of these, so that a test can answer them and read what was shown.
class Messages {
public:
    virtual ~Messages() = default;
    // A plain box with an OK button, captioned with the application title.
    virtual void tell(const std::string& text) = 0;
    // A Yes/No box without icon; Yes is the default. True for Yes.
    virtual bool ask(const std::string& caption, const std::string& text) = 0;
};

}  // namespace kalvero
