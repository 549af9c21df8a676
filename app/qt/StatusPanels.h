// SPDX-License-Identifier: MIT
#pragma once

#include <QStatusBar>
#include <array>

class QLabel;

namespace kalvero {

// The main window's status bar sbOru: three panels that show the operating state,
// the printer and the port, repainted at once when asked.
class StatusPanels final : public QStatusBar {
public:
    explicit StatusPanels(QWidget* parent);

    void setPanel(int panel, const QString& text);
    QString panelText(int panel) const;
    void clear();

private:
    std::array<QLabel*, 3> m_panels{};
};

}  // namespace kalvero
