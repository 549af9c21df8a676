// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>
#include <deque>

#include "ui/qt/QtMessages.h"

namespace kalvero::test {

// Answers the windows' message boxes from a script and keeps what they showed.
class ScriptedMessages final : public MessageBoxes {
public:
    QStringList shown;         // every text, questions as "caption|text"
    std::deque<bool> answers;  // Yes = true; a question without a scripted answer gets No

    void tell(QWidget* /*parent*/, const QString& text) override { shown << text; }
    bool ask(QWidget* /*parent*/, const QString& caption, const QString& text) override {
        shown << caption + QLatin1Char('|') + text;
        if (answers.empty()) {
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace kalvero::test
