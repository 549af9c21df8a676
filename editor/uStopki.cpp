// SPDX-License-Identifier: MIT
#include "editor/uStopki.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "data/Cp1250.h"
#include "data/RecordFormat.h"
#include "data/ResultText.h"
#include "ui/Recovery.h"
#include "ui/Services.h"

namespace kalvero {

namespace {

// The code points of well-formed UTF-8, as the face hands typed text over.
std::u32string codePoints(std::string_view utf8) {
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        out += c;
        i += length;
    }
    return out;
}

std::string utf8Of(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// What an edit added to a text: the text without one of each character it held before.
std::string added(std::string text, const std::string& before) {
    for (const char c : before) {
        if (const std::size_t at = text.find(c); at != std::string::npos) {
            text.erase(at, 1);
        }
    }
    return text;
}

}  // namespace

bool NumberFieldTakes(char32_t character) {
    if (character == U'\r' || character == U'\n') {
        return false;
    }
    const bool control = character < U' ' || character == U'\x7F';
    return control ||
           std::u32string_view(U"0123456789+-,.").find(character) != std::u32string_view::npos;
}

int NumberRange::valueOf(const std::string& text) const {
    std::string_view digits = text;
    if (digits.size() > 1 && digits[0] == '+' && digits[1] != '-') {
        digits.remove_prefix(1);
    }
    int value = 0;
    const auto [at, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && at == digits.data() + digits.size() && !digits.empty() ? value
                                                                                          : minimum;
}

int NumberRange::limited(int value) const {
    return std::clamp(value, minimum, maximum);
}

std::optional<std::string> RefusedInLine(const std::string& utf8, const std::string& heldCp1250,
                                         bool edited) {
    std::string text;
    for (const char32_t c : codePoints(utf8)) {
        const auto byte = CodePointToCp1250(c);
        if (!byte) {
            return utf8Of(c);
        }
        text += *byte;
    }
    if (HasControlCharacter(text)) {
        return std::string();
    }
    if (!edited) {
        return std::nullopt;
    }
    if (const auto unprintable = FirstUnprintable(added(text, heldCp1250))) {
        return Cp1250ToUtf8(std::string(1, *unprintable));
    }
    return std::nullopt;
}

TfStopka::TfStopka(Services& services, EditorHost& host, EditorFace& face)
    : m_services(services),
      m_host(host),
      m_face(face),
      m_editor(services.commands, services.records, services.files, services.state) {
    m_face.attach(*this);
    m_face.setFieldText(NumberFieldName::sePLU, "0");
    m_face.setFieldText(NumberFieldName::seNrStopki, "-1");
    m_face.showName(false);
    m_face.showChangeMark(false);
}

NumberRange& TfStopka::range(NumberFieldName field) {
    return field == NumberFieldName::sePLU ? m_plu : m_footer;
}

int TfStopka::value(NumberFieldName field) {
    return range(field).valueOf(m_face.fieldText(field));
}

void TfStopka::setValue(NumberFieldName field, int value) {
    m_face.setFieldText(field, std::to_string(value));
}

// The mark says that the shown footer differs from what was last loaded or saved.
void TfStopka::showChangeMark() {
    m_face.showChangeMark(FooterEdited());
}

std::optional<std::string> TfStopka::createIfWanted(DataFile file) {
    const char* text = file == DataFile::Footers ? "Czy utworzyc plik z danymi stopek ?"
                                                 : "Czy utworzyc plik z danymi wiązań ?";
    if (!m_face.ask("Brak pliku", text)) {
        return std::nullopt;
    }
    if (const auto error = m_editor.create(file)) {
        return "Nie utworzono pliku " + error->name + ": " + error->reason;
    }
    return std::nullopt;
}

// A file the system would not create or write is named with the system's reason.
std::string TfStopka::failureText(ResultCode rc) const {
    if (const auto error = m_editor.writeError()) {
        return "Nie zapisano pliku " + error->name + ": " + error->reason;
    }
    return Cp1250ToUtf8(ResultText(rc));
}

void TfStopka::open() {
    if (!RecoverDataFiles(m_services.files, m_face)) {
        return;  // files an import left half-way are not edited
    }
    m_face.centreOverMainWindow();
    m_face.show();
    FormActivate();
}

void TfStopka::FormActivate() {
    m_face.setCaption(m_editor.offline() ? "Definiowanie stopek - dane z/do plików"
                                         : "Definiowanie stopek - dane z/do drukarki etykiet");
    m_face.enableField(NumberFieldName::seNrStopki, true);
    m_face.enableField(NumberFieldName::sePLU, true);
    m_footer = {0, kLastFooter};
    setValue(NumberFieldName::seNrStopki, m_footer.limited(value(NumberFieldName::seNrStopki)));
    setValue(NumberFieldName::sePLU, 1);
    m_plu = {1, kLastPlu};
    m_face.showChangeMark(false);
    sePLUChange();
    m_face.focusField(NumberFieldName::sePLU);
}

void TfStopka::stepField(NumberFieldName field, int step) {
    const NumberRange& limits = range(field);
    setValue(field, limits.limited(value(field) + step));
}

void TfStopka::seNrStopkiKeyUp() {
    setValue(NumberFieldName::seNrStopki, m_footer.limited(value(NumberFieldName::seNrStopki)));
    seNrStopkiChange();
    m_face.focusField(NumberFieldName::seNrStopki);
}

void TfStopka::sePLUKeyUp() {
    setValue(NumberFieldName::sePLU, m_plu.limited(value(NumberFieldName::sePLU)));
    sePLUChange();
    m_face.focusField(NumberFieldName::sePLU);
}

void TfStopka::UpDown1MouseUp(bool leftButton) {
    if (leftButton) {
        seNrStopkiChange();
    }
}

void TfStopka::UDTOWARMouseUp() {
    sePLUChange();
    m_face.focusField(NumberFieldName::sePLU);
}

void TfStopka::FormMouseUp(bool leftButton) {
    if (leftButton && m_face.fieldFocused(NumberFieldName::sePLU)) {
        sePLUChange();
    }
}

// "20" cuts the text to its first 20 characters; back at "40" they stay cut.
void TfStopka::rg1Click(int line) {
    const bool twenty = m_face.shownLine(line).width20 == 1;
    m_face.fitLine(line, twenty);
    if (twenty) {
        const std::string text = m_face.shownLine(line).text;
        if (text.size() > 20) {
            m_face.setLineText(line, text.substr(0, 20));
        }
    }
    showChangeMark();
}

FooterLines TfStopka::shownLines() const {
    FooterLines lines;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        lines[k] = m_face.shownLine(static_cast<int>(k));
    }
    return lines;
}

void TfStopka::showLines(const FooterLines& lines, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        const int line = static_cast<int>(k);
        // The width first: a 20-character field would cut a 40-character text.
        m_face.setLineWidth(line, lines[k].width20 == 1);
        m_face.setLineText(line, lines[k].text);
        m_face.setLineEnabled(line, lines[k].enabled != 0);
    }
}

void TfStopka::seNrStopkiChange() {
    if (m_loading) {
        return;
    }
    m_loading = true;
    setStatus("Odczyt danych stopki...");
    auto number = static_cast<std::uint16_t>(value(NumberFieldName::seNrStopki));
    if (number > kLastFooter) {
        number = kLastFooter;
        setValue(NumberFieldName::seNrStopki, number);
        m_face.repaintField(NumberFieldName::seNrStopki);
    }
    // Disabling the focused field would hand the focus on to the next control.
    const bool focused = m_face.fieldFocused(NumberFieldName::seNrStopki);
    m_face.enableField(NumberFieldName::seNrStopki, false);
    const FooterLoad load = m_editor.load(static_cast<std::uint8_t>(number));
    m_face.enableField(NumberFieldName::seNrStopki, true);
    if (focused) {
        m_face.focusField(NumberFieldName::seNrStopki);
    }
    showLines(m_editor.FooterSnapshot(), load.lines);
    if (load.lines == 0) {
        std::string status = "BRAK DEFINICJI STOPKI W PLIKU";
        if (m_editor.offline() && m_editor.missing(DataFile::Footers)) {
            status = createIfWanted(DataFile::Footers).value_or(status);
        }
        const FooterLine marker{0, 0, FooterEditor::kNoFooterMarker};
        showLines({marker, marker, marker, marker}, 4);
        setStatus(status);
    } else {
        setStatus(load.result != 0 ? Cp1250ToUtf8(ResultText(load.result)) : "OK");
    }
    showChangeMark();
    m_loading = false;
}

bool TfStopka::FooterEdited() const {
    return m_editor.FooterEdited(shownLines());
}

void TfStopka::bZatwierdzClick() {
    if (m_editor.offline() && m_editor.missing(DataFile::Footers)) {
        if (const auto failure = createIfWanted(DataFile::Footers)) {
            setStatus(*failure);
            return;
        }
    }
    setStatus("Zapis danych stopki...");
    m_face.setBusy(true);
    const auto footer =
        static_cast<std::uint8_t>(m_footer.limited(value(NumberFieldName::seNrStopki)));
    const ResultCode rc = m_editor.save(footer, shownLines());
    setStatus(rc != 0 ? failureText(rc) : "OK");
    m_face.setBusy(false);
    showChangeMark();
}

void TfStopka::sePLUChange() {
    if (FooterEdited() && m_face.ask("Zmienione dane stopki", "Czy zapisac obecną stopkę?")) {
        bZatwierdzClick();
    }
    auto item = static_cast<std::uint16_t>(value(NumberFieldName::sePLU));
    if (item > kLastPlu) {
        item = kLastPlu;
        setValue(NumberFieldName::sePLU, item);
    }
    m_face.showName(!m_editor.offline());
    std::string name;
    ResultCode rc = m_editor.readItemName(item, name);
    if (rc != 0) {
        setStatus(Cp1250ToUtf8(ResultText(rc)));
        m_face.setBusy(false);
        return;
    }
    m_face.setName(Cp1250ToUtf8(name));

    std::uint8_t footer = 0;
    m_face.setBusy(true);
    rc = m_editor.readBinding(item, footer);
    m_face.setBusy(false);
    if (rc != 0) {
        std::optional<std::string> failure;
        if (m_editor.missing(DataFile::Bindings)) {
            failure = createIfWanted(DataFile::Bindings);
        }
        setStatus("BRAK WIĄZANIA PLU-STOPKA W PLIKU");
        setValue(NumberFieldName::seNrStopki, 0);
        seNrStopkiChange();
        if (failure) {
            setStatus(*failure);
        }
        m_face.showName(true);
        m_face.setName("!!BRAK WIĄZANIA PLU-STOPKA W PLIKU!!");
        return;
    }
    setStatus("OK");
    setValue(NumberFieldName::seNrStopki, m_footer.limited(footer));
    seNrStopkiChange();
    m_face.focusField(NumberFieldName::sePLU);
}

void TfStopka::bZatwWiazClick() {
    if (FooterEdited() && m_face.ask("Zmienione dane stopki", "Czy zapisac również stopkę?")) {
        bZatwierdzClick();
    }
    setStatus("Zapis wiązania...");
    m_face.setBusy(true);
    const auto item = static_cast<std::uint16_t>(value(NumberFieldName::sePLU));
    const auto footer =
        static_cast<std::uint8_t>(m_footer.limited(value(NumberFieldName::seNrStopki)));
    const ResultCode rc = m_editor.bind(item, footer);
    m_face.setBusy(false);
    if (rc != 0) {
        setStatus(failureText(rc));
        return;
    }
    setStatus("OK");
    sePLUChange();
}

}  // namespace kalvero
