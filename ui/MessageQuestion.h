// SPDX-License-Identifier: MIT
#pragma once

#include "data/Cp1250.h"
#include "data/Question.h"
#include "ui/Messages.h"

namespace kalvero {

// Questions from inside an operation, asked in a Yes/No message box.
class MessageQuestion final : public Question {
public:
    explicit MessageQuestion(Messages& messages) : m_messages(messages) {}
    bool ask(const std::string& caption, const std::string& text) override {
        return m_messages.ask(Cp1250ToUtf8(caption), Cp1250ToUtf8(text));
    }

private:
    Messages& m_messages;
};

}  // namespace kalvero
