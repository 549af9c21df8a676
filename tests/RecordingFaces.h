// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/Kalvero.h"
#include "app/opr.h"
#include "app/stan.h"
#include "app/uGlowna.h"
#include "app/uKomunikacja.h"
#include "app/uWymiana.h"
#include "editor/uStopki.h"

namespace kalvero::test {

// What every window did, in one order, and the answers its questions get.
struct Desk {
    // "fGlowna panel 1: Wykrywanie... COM1", "fStopka ask: Brak pliku|Czy...".
    std::vector<std::string> log;
    // The message boxes' texts alone, questions as "caption|text".
    std::vector<std::string> boxes;
    // Yes = true; a question without a scripted answer gets No.
    std::deque<bool> answers;

    void note(std::string line) { log.push_back(std::move(line)); }
    // The log's lines that start with one of the prefixes, in order.
    std::vector<std::string> only(std::initializer_list<std::string> prefixes) const {
        std::vector<std::string> out;
        for (const std::string& line : log) {
            for (const std::string& prefix : prefixes) {
                if (line.rfind(prefix, 0) == 0) {
                    out.push_back(line);
                    break;
                }
            }
        }
        return out;
    }
};

// A window's common state, kept as it is shown.
template <class Face>
class Recording : public Face {
public:
    Recording(Desk& desk, std::string name) : desk(desk), name(std::move(name)) {}

    void show() override {
        visible = true;
        note("show");
    }
    void hide() override {
        visible = false;
        note("hide");
    }
    bool shown() const override { return visible; }
    void setEnabled(bool enabled) override { this->enabled = enabled; }
    void setCaption(const std::string& caption) override { this->caption = caption; }
    void setBusy(bool busy) override {
        if (busy != this->busy) {
            note(busy ? "busy" : "idle");
        }
        this->busy = busy;
    }
    void tell(const std::string& text) override {
        note("tell: " + text);
        desk.boxes.push_back(text);
    }
    bool ask(const std::string& caption, const std::string& text) override {
        note("ask: " + caption + "|" + text);
        desk.boxes.push_back(caption + "|" + text);
        if (desk.answers.empty()) {
            return false;
        }
        const bool yes = desk.answers.front();
        desk.answers.pop_front();
        return yes;
    }

    Desk& desk;
    const std::string name;
    bool visible = false;
    bool enabled = true;
    bool busy = false;
    std::string caption;

protected:
    void note(const std::string& what) { desk.note(name + " " + what); }
};

class RecordingMain final : public Recording<MainWindowFace> {
public:
    using Recording::Recording;

    void attach(TfGlowna& window) override { this->window = &window; }
    void setPanel(int panel, const std::string& text) override {
        panels.at(static_cast<std::size_t>(panel)) = text;
        note("panel " + std::to_string(panel) + ": " + text);
    }
    void repaintPanels() override {
        note("repaint: " + panels[0] + "|" + panels[1] + "|" + panels[2]);
    }
    void checkEntry(MenuEntry entry, bool checked) override { this->checked[entry] = checked; }
    void enableEntry(MenuEntry entry, bool enabled) override { entryEnabled[entry] = enabled; }
    void showEntry(MenuEntry entry, bool visible) override { entryVisible[entry] = visible; }
    void enableMenu(bool enabled) override { menuEnabled = enabled; }
    // As the frame does: the window asks whether it may close.
    void close() override {
        if (window->FormCloseQuery()) {
            hide();
        }
    }
    void quit() override { note("quit"); }

    void showAbortButton(bool visible) override { abortShown = visible; }
    void showOperation(bool visible) override { operationShown = visible; }
    void setOperation(const std::string& text) override { operation = text; }
    void showBar(bool visible) override { barShown = visible; }
    void setBar(int, int, int) override {}
    void repaintProgress() override {}
    void bringToFront() override {}
    void processEvents() override {
        if (onEvents) {
            onEvents();
        }
    }

    bool isChecked(MenuEntry entry) const { return checked.at(entry); }
    // An entry is enabled and visible until told otherwise, as a menu's are.
    bool isEnabled(MenuEntry entry) const {
        return !entryEnabled.contains(entry) || entryEnabled.at(entry);
    }
    bool isVisible(MenuEntry entry) const {
        return !entryVisible.contains(entry) || entryVisible.at(entry);
    }

    TfGlowna* window = nullptr;
    std::array<std::string, 3> panels;
    std::map<MenuEntry, bool> checked, entryEnabled, entryVisible;
    bool menuEnabled = true;
    bool abortShown = false, operationShown = false, barShown = false;
    std::string operation;
    // What the event loop runs while a transfer waits: a test's clicks.
    std::function<void()> onEvents;
};

class RecordingConnection final : public Recording<ConnectionFace> {
public:
    using Recording::Recording;

    void attach(TfKomunikacja& dialog) override { this->dialog = &dialog; }
    void addPort(const std::string& entry) override { ports.push_back(entry); }
    void showPort(int index) override { shownPort = index; }
    std::string channelText() const override { return channel; }

    TfKomunikacja* dialog = nullptr;
    std::vector<std::string> ports;
    int shownPort = -2;  // never set
    std::string channel = "1";
};

class RecordingExchange final : public Recording<ExchangeFace> {
public:
    using Recording::Recording;

    void attach(TfWymiana& dialog) override { this->dialog = &dialog; }
    void setStartCaption(const std::string& caption) override { start = caption; }
    void showControl(WymianaControl control, bool visible) override {
        shownControls[control] = visible;
    }
    void enableControl(WymianaControl control, bool enabled) override {
        enabledControls[control] = enabled;
    }
    bool ticked(WymianaControl box) const override { return !unticked.contains(box); }
    int maxPlu() const override { return plu; }
    void showFileName(WymianaControl field, const std::string& name) override {
        fileNames[field] = name;
    }
    void setPickerFolder(const std::string& folder) override { pickerFolder = folder; }
    std::optional<std::string> pickFile() override {
        note("pick");
        if (picks.empty()) {
            return std::nullopt;
        }
        const auto pick = picks.front();
        picks.pop_front();
        return pick;
    }
    void centreOverMainWindow() override { note("centred"); }

    TfWymiana* dialog = nullptr;
    std::string start;
    std::map<WymianaControl, bool> shownControls, enabledControls;
    std::set<WymianaControl> unticked;
    int plu = 9983;
    std::map<WymianaControl, std::string> fileNames;
    std::string pickerFolder;
    // What the file dialog returns, one pick each; nothing is a cancel.
    std::deque<std::optional<std::string>> picks;
};

class RecordingEditor final : public Recording<EditorFace> {
public:
    using Recording::Recording;

    // Shown and hidden, the window tells the editor, as its events do.
    void show() override {
        Recording::show();
        editor->FormShow();
    }
    void hide() override {
        Recording::hide();
        editor->FormHide();
    }
    void attach(TfStopka& editor) override { this->editor = &editor; }
    void centreOverMainWindow() override {}
    std::string fieldText(NumberFieldName field) const override { return fields.at(field); }
    void setFieldText(NumberFieldName field, const std::string& text) override {
        fields[field] = text;
    }
    void repaintField(NumberFieldName) override {}
    // A disabled field loses the focus to the next control.
    void enableField(NumberFieldName field, bool enabled) override {
        fieldEnabled[field] = enabled;
        if (!enabled && focused == field) {
            focused.reset();
        }
    }
    void focusField(NumberFieldName field) override { focused = field; }
    bool fieldFocused(NumberFieldName field) const override { return focused == field; }

    FooterLine shownLine(int line) const override { return lines.at(std::size_t(line)); }
    // A selector reports every change of its choice, whoever made it.
    void setLineWidth(int line, bool twenty) override {
        FooterLine& shown = lines.at(std::size_t(line));
        if ((shown.width20 == 1) != twenty) {
            shown.width20 = twenty ? 1 : 0;
            editor->rg1Click(line);
        }
    }
    // A field keeps at most as many characters as it is wide.
    void setLineText(int line, const std::string& text) override {
        lines.at(std::size_t(line)).text = text.substr(0, width[std::size_t(line)]);
    }
    void setLineEnabled(int line, bool enabled) override {
        lines.at(std::size_t(line)).enabled = enabled ? 1 : 0;
    }
    void fitLine(int line, bool twenty) override {
        width.at(std::size_t(line)) = twenty ? 20 : 40;
        setLineText(line, lines[std::size_t(line)].text);
    }
    void selectLineText(int) override {}
    void showName(bool visible) override { nameShown = visible; }
    void setName(const std::string& text) override { itemName = text; }
    void showChangeMark(bool visible) override { changeMark = visible; }
    void setStatus(const std::string& text) override {
        status = text;
        note("status: " + text);
    }

    // The user's edits: typed text (Windows-1250), a ticked box, a chosen width.
    void type(int line, const std::string& text) {
        setLineText(line, text);
        editor->lineChanged();
    }
    void tick(int line, bool enabled) {
        setLineEnabled(line, enabled);
        editor->lineChanged();
    }
    void chooseWidth(int line, bool twenty) {
        setLineWidth(line, twenty);
        editor->lineChanged();
    }
    std::string text(int line) const { return lines.at(std::size_t(line)).text; }

    TfStopka* editor = nullptr;
    std::map<NumberFieldName, std::string> fields;
    std::map<NumberFieldName, bool> fieldEnabled;
    std::optional<NumberFieldName> focused;
    std::array<FooterLine, 4> lines{};
    std::array<std::size_t, 4> width{40, 40, 40, 40};
    bool nameShown = false;
    std::string itemName;
    bool changeMark = false;
    std::string status;
};

class RecordingStatus final : public Recording<StatusFace> {
public:
    using Recording::Recording;
    void setPrinterNumber(const std::string& text) override { number = text; }
    std::string number;
};

class RecordingAbout final : public Recording<AboutFace> {
public:
    using Recording::Recording;
    void centreOnScreen() override { note("centred"); }
};

// The six faces, all writing to one desk.
class RecordingFaces final : public WindowFactory {
public:
    Desk desk;
    std::string title;
    RecordingMain main{desk, "fGlowna"};
    RecordingConnection connection{desk, "fKomunikacja"};
    RecordingExchange exchange{desk, "fWymiana"};
    RecordingEditor editor{desk, "fStopka"};
    RecordingAbout about{desk, "AboutBox"};
    RecordingStatus status{desk, "fStan"};

    void setApplicationTitle(const std::string& title) override { this->title = title; }
    MainWindowFace& fGlowna() override { return made(main); }
    ConnectionFace& fKomunikacja() override { return made(connection); }
    ExchangeFace& fWymiana() override { return made(exchange); }
    EditorFace& fStopka() override { return made(editor); }
    AboutFace& AboutBox() override { return made(about); }
    StatusFace& fStan() override { return made(status); }

private:
    template <class Face>
    Face& made(Face& face) {
        desk.note(face.name + " made");
        return face;
    }
};

}  // namespace kalvero::test
