// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace kalvero {

// A Yes/No question asked from inside an operation; texts in Windows-1250.
class Question {
public:
    virtual ~Question() = default;
    virtual bool ask(const std::string& caption, const std::string& text) = 0;
};

}  // namespace kalvero
