// SPDX-License-Identifier: MIT
#include "ui/qt/QtMessages.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <QStringList>

#include "ui/qt/QtText.h"

namespace kalvero {

namespace {

// The frame's buttons and icon beside the caption.
constexpr int kFrameRoom = 160;

// A box whose text is wider than half the screen, and never more than 500 pixels
// with its margins, wraps it by itself, word by word, which can leave a lone last
// word on a line: the program wraps first, at a clause of the sentence.
int lineWidth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int half = screen != nullptr ? screen->availableGeometry().width() / 2 : 500;
    return std::min(half, 500) - 60;
}

// A line too wide for the box breaks after the commas of its sentence, each part
// as long as fits; a part still too wide is left to the box's own wrapping.
QString wrapAsSentences(const QString& text, const QFontMetrics& metrics) {
    const int width = lineWidth();
    QStringList lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (metrics.horizontalAdvance(line) <= width) {
            lines << line;
            continue;
        }
        QString current;
        for (const QString& clause : line.split(QStringLiteral(", "))) {
            const QString joined =
                current.isEmpty() ? clause : current + QStringLiteral(", ") + clause;
            if (!current.isEmpty() && metrics.horizontalAdvance(joined) > width) {
                lines << current + QLatin1Char(',');
                current = clause;
            } else {
                current = joined;
            }
        }
        lines << current;
    }
    return lines.join(QLatin1Char('\n'));
}

// The box is at least as wide as its caption, which a narrow box would cut ("Ka…ro").
void fitCaption(QMessageBox& box) {
    const QFontMetrics metrics(QApplication::font("QMdiSubWindowTitleBar"));
    const int width = metrics.horizontalAdvance(box.windowTitle()) + kFrameRoom;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}

// Plain boxes and questions carry no icon, as the program's boxes always have.
int run(QWidget* parent, const QString& caption, const QString& text,
        QMessageBox::StandardButtons buttons) {
    QMessageBox box(QMessageBox::NoIcon, caption, QString(), buttons, parent);
    box.setText(wrapAsSentences(text, QFontMetrics(box.font())));
    fitCaption(box);
    if (buttons.testFlag(QMessageBox::Yes)) {
        box.setDefaultButton(QMessageBox::Yes);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Tak"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&Nie"));
    }
    return box.exec();
}

}  // namespace

void MessageBoxes::tell(QWidget* parent, const QString& text) {
    run(parent, QApplication::applicationName(), text, QMessageBox::Ok);
}

bool MessageBoxes::ask(QWidget* parent, const QString& caption, const QString& text) {
    return run(parent, caption, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void QtMessages::tell(const std::string& text) {
    m_boxes.tell(QApplication::activeWindow(), toQt(text));
}

bool QtMessages::ask(const std::string& caption, const std::string& text) {
    return m_boxes.ask(QApplication::activeWindow(), toQt(caption), toQt(text));
}

}  // namespace kalvero
