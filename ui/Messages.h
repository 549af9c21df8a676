// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QWidget;

namespace kalvero {

// Every message box of the windows goes through here, so that a test can
// answer them and read what was shown.
class Messages {
public:
    virtual ~Messages() = default;
    // A plain box with an OK button, captioned with the application title.
    virtual void inform(QWidget* parent, const QString& text) = 0;
    // A Yes/No box; Yes is the default. True for Yes.
    virtual bool ask(QWidget* parent, const QString& caption, const QString& text) = 0;
};

class QtMessages final : public Messages {
public:
    void inform(QWidget* parent, const QString& text) override;
    bool ask(QWidget* parent, const QString& caption, const QString& text) override;
};

}  // namespace kalvero
