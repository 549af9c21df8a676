// SPDX-License-Identifier: MIT
#include "app/qt/StatusPanels.h"

#include "app/qt/ElidedLabel.h"

namespace kalvero {

StatusPanels::StatusPanels(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("sbOru"));
    setSizeGripEnabled(false);
    setFixedHeight(32);
    QFont bold = font();
    bold.setFamilies(
        {QStringLiteral("Arial CE"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    bold.setBold(true);
    bold.setPixelSize(16);
    // The last panel takes the rest of the bar, as the window is narrower than the
    // three widths together (80 + 340 + 140).
    const std::array<int, 3> widths{80, 340, 140};
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        QLabel* panel = new ElidedLabel(this);
        panel->setObjectName(QStringLiteral("sbOruPanel%1").arg(i));
        panel->setAlignment(Qt::AlignCenter);
        panel->setFont(bold);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        if (i + 1 < m_panels.size()) {
            panel->setFixedWidth(widths[i]);
            addWidget(panel);
        } else {
            panel->setMinimumWidth(0);
            panel->setMaximumWidth(widths[i]);
            addWidget(panel, 1);
        }
        m_panels[i] = panel;
    }
}

void StatusPanels::setPanel(int panel, const QString& text) {
    m_panels.at(static_cast<std::size_t>(panel))->setText(text);
}

QString StatusPanels::panelText(int panel) const {
    return m_panels.at(static_cast<std::size_t>(panel))->text();
}

void StatusPanels::clear() {
    for (QLabel* panel : m_panels) {
        panel->clear();
    }
}

}  // namespace kalvero
