#pragma once

#include <QPoint>

namespace kalvero {

// The small doors through which the windows reach each other. Startup wires them;
// no window includes another window's header or touches another window's widgets.

// What the footer editor asks of the main window.
class EditorHost {
public:
    virtual ~EditorHost() = default;
    // While the editor is open the main window takes no input.
    virtual void setEditorOpen(bool open) = 0;
    // Where the editor opens centred.
    virtual QPoint editorCentre() const = 0;
};

// What the main window asks of the footer editor.
class EditorWindow {
public:
    virtual ~EditorWindow() = default;
    // Shows the editor and loads what every opening loads.
    virtual void open() = 0;
    virtual void setItemNameVisible(bool visible) = 0;
};

}  // namespace kalvero
