#pragma once

#include <QMainWindow>

namespace kalvero {

// The main window.
class TfGlowna : public QMainWindow {
    Q_OBJECT
public:
    explicit TfGlowna(QWidget* parent = nullptr);
};

}  // namespace kalvero
