// SPDX-License-Identifier: MIT
// Drives another program's windows as a user does and reads them back through
// standard Win32 messages only: one command a run, its answer on standard output,
// exit code 0 when it held, 1 when not, 2 when used wrongly.
//
//   wait CAPTION [SECONDS]         a visible top-level window with the caption shows
//   gone CAPTION [SECONDS]         no visible top-level window has the caption
//   shown CAPTION                  the captions of the visible top-level windows of
//                                  CAPTION's process, one a line
//   panels CAPTION                 its status bar's parts, one a line
//   controls CAPTION               child controls: id, class, visible, enabled,
//                                  check state, text; tab-separated
//   text CAPTION CONTROL           a child control's text; CONTROL is its id, its
//                                  whole text, or CLASS#N (the class's Nth, from 1)
//   state CAPTION CONTROL          visible|hidden, then enabled|disabled
//   menu CAPTION ID                the menu entry's state: checked|unchecked,
//                                  then enabled|grayed
//   box [SECONDS]                  a message box: its caption, then its text
//   click CAPTION CONTROL          presses a button
//   mouse CAPTION CONTROL          a click with the mouse in the control's middle
//   keys CAPTION KEY...            brings CAPTION to the front, then types: a key name
//                                  (F10 Down Up Left Right Return Escape Tab Space
//                                  Home End Delete Back), alt+X, alt+F4, or
//                                  text:WORDS
//   place CAPTION X Y              moves the window (for pictures)
//   rect CAPTION                   its place on the screen: left top right bottom
//   front CAPTION                  makes it the foreground window
//   endsession CAPTION             asks, as Windows shutting down does, whether the
//                                  session may end: agreed (then ends it) or refused
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

void say(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    out += '\n';
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()),
              &written, nullptr);
}

std::wstring textOf(HWND hwnd) {
    // WM_GETTEXT is carried across processes by the system.
    wchar_t buffer[1024] = {};
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL,
                        5000, nullptr);
    return buffer;
}

// A top-level caption, without asking the window: one busy in a transfer still has it.
std::wstring captionOf(HWND hwnd) {
    wchar_t buffer[1024] = {};
    InternalGetWindowText(hwnd, buffer, 1024);
    return buffer;
}

std::wstring classOf(HWND hwnd) {
    wchar_t buffer[256] = {};
    GetClassNameW(hwnd, buffer, 256);
    return buffer;
}

struct Search {
    std::wstring caption;
    HWND found = nullptr;
};

HWND findTop(const std::wstring& caption) {
    Search search{caption};
    EnumWindows(
        [](HWND hwnd, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (IsWindowVisible(hwnd) && captionOf(hwnd) == s->caption) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits up to seconds for what holds.
template <class Test>
bool within(double seconds, Test test) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    while (true) {
        if (test()) {
            return true;
        }
        if (GetTickCount64() >= end) {
            return false;
        }
        Sleep(50);
    }
}

HWND mustFind(const std::wstring& caption) {
    HWND hwnd = nullptr;
    within(5, [&] { return (hwnd = findTop(caption)) != nullptr; });
    if (hwnd == nullptr) {
        say(L"no window " + caption);
    }
    return hwnd;
}

std::vector<HWND> childrenOf(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(
        parent,
        [](HWND hwnd, LPARAM data) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(data)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

// A status bar's part text lives in the other process: the message gets a buffer
// allocated there, read back afterwards.
std::wstring partText(HWND bar, int part) {
    DWORD pid = 0;
    GetWindowThreadProcessId(bar, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process == nullptr) {
        return L"?";
    }
    const SIZE_T size = 1024 * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    std::wstring text(1024, L'\0');
    DWORD_PTR result = 0;
    SendMessageTimeoutW(bar, SB_GETTEXTW, static_cast<WPARAM>(part),
                        reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, 5000, &result);
    SIZE_T read = 0;
    ReadProcessMemory(process, remote, text.data(), size, &read);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    text.resize(std::wcslen(text.c_str()));
    return text;
}

// A menu answers only inside its own process: the probe library is loaded there, at
// the fixed base it has here too, and asked on a thread of that process.
UINT menuState(HWND window, UINT id) {
    struct MenuQuestion {
        HWND window;
        UINT id;
        UINT state;
    };
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring probe = path;
    probe = probe.substr(0, probe.find_last_of(L"\\/") + 1) + L"menu_probe.dll";
    HMODULE here = LoadLibraryW(probe.c_str());
    const auto ask = here != nullptr ? GetProcAddress(here, "AskMenuState") : nullptr;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    if (ask == nullptr || process == nullptr) {
        return static_cast<UINT>(-1);
    }
    const auto inThere = [&](auto* function, const void* data, SIZE_T size, void* block) {
        WriteProcessMemory(process, block, data, size, nullptr);
        HANDLE thread = CreateRemoteThread(process, nullptr, 0,
                                           reinterpret_cast<LPTHREAD_START_ROUTINE>(
                                               reinterpret_cast<void*>(function)),
                                           block, 0, nullptr);
        DWORD code = 0;
        if (thread != nullptr) {
            WaitForSingleObject(thread, 5000);
            GetExitCodeThread(thread, &code);
            CloseHandle(thread);
        }
        return code;
    };
    void* block = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
    const auto load = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW");
    const DWORD loaded = inThere(load, probe.c_str(), (probe.size() + 1) * sizeof(wchar_t), block);
    MenuQuestion question{window, id, static_cast<UINT>(-1)};
    // Loaded elsewhere than here, the function would not be where it is here.
    if (loaded == static_cast<DWORD>(reinterpret_cast<UINT_PTR>(here))) {
        inThere(ask, &question, sizeof(question), block);
        ReadProcessMemory(process, block, &question, sizeof(question), nullptr);
    }
    VirtualFreeEx(process, block, 0, MEM_RELEASE);
    CloseHandle(process);
    return question.state;
}

// A control named by its id, by its whole text, or as CLASS#N, the class's Nth (from 1).
HWND control(HWND parent, const std::wstring& name) {
    const bool number = !name.empty() && name.find_first_not_of(L"0123456789") == std::wstring::npos;
    const std::size_t hash = name.rfind(L'#');
    int seen = 0;
    for (HWND child : childrenOf(parent)) {
        if (number ? GetDlgCtrlID(child) == _wtoi(name.c_str())
            : hash != std::wstring::npos && hash > 0
                ? classOf(child) == name.substr(0, hash) && ++seen == _wtoi(name.c_str() + hash + 1)
                : captionOf(child) == name) {
            return child;
        }
    }
    say(L"no control " + name);
    return nullptr;
}

// The mouse's left button pressed and let go in the middle of a control, as the
// control receives it (input sent through SendInput missed under Wine's desktop).
void clickOn(HWND hwnd) {
    RECT rect{};
    GetClientRect(hwnd, &rect);
    const LPARAM middle = MAKELPARAM(rect.right / 2, rect.bottom / 2);
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageW(hwnd, WM_LBUTTONUP, 0, middle);
}

void press(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    if (key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT || key == VK_HOME ||
        key == VK_END || key == VK_DELETE) {
        input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    }
    SendInput(1, &input, sizeof(input));
}

void tap(WORD key) {
    press(key, false);
    press(key, true);
}

void typeText(const std::wstring& text) {
    for (const wchar_t c : text) {
        INPUT input[2] = {};
        for (int i = 0; i < 2; ++i) {
            input[i].type = INPUT_KEYBOARD;
            input[i].ki.wScan = c;
            input[i].ki.dwFlags = KEYEVENTF_UNICODE | (i == 1 ? KEYEVENTF_KEYUP : 0);
        }
        SendInput(2, input, sizeof(INPUT));
        Sleep(20);
    }
}

bool key(const std::wstring& name) {
    static const struct {
        const wchar_t* name;
        WORD key;
    } names[] = {{L"F10", VK_F10},       {L"Down", VK_DOWN},     {L"Up", VK_UP},
                 {L"Left", VK_LEFT},     {L"Right", VK_RIGHT},   {L"Return", VK_RETURN},
                 {L"Escape", VK_ESCAPE}, {L"Tab", VK_TAB},       {L"Space", VK_SPACE},
                 {L"Home", VK_HOME},     {L"End", VK_END},       {L"Delete", VK_DELETE},
                 {L"Back", VK_BACK}};
    if (name.rfind(L"text:", 0) == 0) {
        typeText(name.substr(5));
        return true;
    }
    if (name == L"alt+F4") {
        press(VK_MENU, false);
        tap(VK_F4);
        press(VK_MENU, true);
        return true;
    }
    if (name.rfind(L"alt+", 0) == 0 && name.size() == 5) {
        press(VK_MENU, false);
        tap(static_cast<WORD>(VkKeyScanW(static_cast<wchar_t>(towlower(name[4]))) & 0xff));
        press(VK_MENU, true);
        return true;
    }
    for (const auto& entry : names) {
        if (name == entry.name) {
            tap(entry.key);
            return true;
        }
    }
    say(L"unknown key " + name);
    return false;
}

void front(HWND hwnd) {
    if (GetForegroundWindow() != hwnd) {
        SetForegroundWindow(hwnd);
        within(2, [&] { return GetForegroundWindow() == hwnd; });
    }
}

HWND messageBox() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND hwnd, LPARAM data) -> BOOL {
            // A message box is a dialog with its text in the static of id 0xFFFF.
            if (IsWindowVisible(hwnd) && classOf(hwnd) == L"#32770" &&
                GetDlgItem(hwnd, 0xFFFF) != nullptr) {
                *reinterpret_cast<HWND*>(data) = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

int run(const std::vector<std::wstring>& a) {
    const std::wstring& command = a[0];
    const auto seconds = [&](std::size_t i, double fallback) {
        return a.size() > i ? _wtof(a[i].c_str()) : fallback;
    };
    if (command == L"wait" && a.size() >= 2) {
        return within(seconds(2, 20), [&] { return findTop(a[1]) != nullptr; }) ? 0 : 1;
    }
    if (command == L"gone" && a.size() >= 2) {
        return within(seconds(2, 20), [&] { return findTop(a[1]) == nullptr; }) ? 0 : 1;
    }
    if (command == L"box") {
        HWND box = nullptr;
        if (!within(seconds(1, 20), [&] { return (box = messageBox()) != nullptr; })) {
            say(L"no message box");
            return 1;
        }
        say(captionOf(box));
        say(textOf(GetDlgItem(box, 0xFFFF)));
        return 0;
    }
    if (a.size() < 2) {
        return 2;
    }
    HWND top = mustFind(a[1]);
    if (top == nullptr) {
        return 1;
    }
    if (command == L"shown") {
        struct Listing {
            DWORD pid;
            std::vector<std::wstring> captions;
        } listing{};
        GetWindowThreadProcessId(top, &listing.pid);
        EnumWindows(
            [](HWND hwnd, LPARAM data) -> BOOL {
                auto* l = reinterpret_cast<Listing*>(data);
                DWORD pid = 0;
                GetWindowThreadProcessId(hwnd, &pid);
                if (pid == l->pid && IsWindowVisible(hwnd)) {
                    l->captions.push_back(captionOf(hwnd));
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&listing));
        for (const std::wstring& caption : listing.captions) {
            say(caption);
        }
        return 0;
    }
    if (command == L"panels") {
        for (HWND child : childrenOf(top)) {
            if (classOf(child) != STATUSCLASSNAMEW) {
                continue;
            }
            if (SendMessageW(child, SB_ISSIMPLE, 0, 0) != FALSE) {
                say(partText(child, SB_SIMPLEID));
                return 0;
            }
            const auto parts = static_cast<int>(SendMessageW(child, SB_GETPARTS, 0, 0));
            for (int part = 0; part < parts; ++part) {
                say(partText(child, part));
            }
            return 0;
        }
        say(L"no status bar");
        return 1;
    }
    if (command == L"controls") {
        for (HWND child : childrenOf(top)) {
            const auto check = SendMessageW(child, BM_GETCHECK, 0, 0);
            const std::wstring buttonLike = classOf(child) == WC_BUTTONW ? std::to_wstring(check) : L"-";
            say(std::to_wstring(GetDlgCtrlID(child)) + L"\t" + classOf(child) + L"\t" +
                (IsWindowVisible(child) ? L"visible" : L"hidden") + L"\t" +
                (IsWindowEnabled(child) ? L"enabled" : L"disabled") + L"\t" + buttonLike + L"\t" +
                textOf(child));
        }
        return 0;
    }
    if (command == L"rect") {
        RECT rect{};
        GetWindowRect(top, &rect);
        say(std::to_wstring(rect.left) + L" " + std::to_wstring(rect.top) + L" " +
            std::to_wstring(rect.right) + L" " + std::to_wstring(rect.bottom));
        return 0;
    }
    if (command == L"front") {
        front(top);
        return GetForegroundWindow() == top ? 0 : 1;
    }
    if (command == L"endsession") {
        DWORD_PTR agreed = FALSE;
        SendMessageTimeoutW(top, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &agreed);
        say(agreed != FALSE ? L"agreed" : L"refused");
        if (agreed != FALSE) {
            SendMessageTimeoutW(top, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 10000, nullptr);
        }
        return 0;
    }
    if (command == L"keys") {
        front(top);
        for (std::size_t i = 2; i < a.size(); ++i) {
            if (!key(a[i])) {
                return 2;
            }
            Sleep(120);  // a menu opens between keys, as it does for a person
        }
        return 0;
    }
    if (a.size() < 3) {
        return 2;
    }
    if (command == L"place") {
        SetWindowPos(top, nullptr, _wtoi(a[2].c_str()), _wtoi(a[3].c_str()), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    if (command == L"menu") {
        const UINT state = menuState(top, static_cast<UINT>(_wtoi(a[2].c_str())));
        if (state == static_cast<UINT>(-1)) {
            say(L"no menu entry " + a[2]);
            return 1;
        }
        say((state & MF_CHECKED) != 0 ? L"checked" : L"unchecked");
        say((state & (MF_GRAYED | MF_DISABLED)) != 0 ? L"grayed" : L"enabled");
        return 0;
    }
    HWND item = control(top, a[2]);
    if (item == nullptr) {
        return 1;
    }
    if (command == L"text") {
        say(textOf(item));
        return 0;
    }
    if (command == L"click") {
        // Posted: the press may start a transfer that runs inside the button's handler.
        PostMessageW(item, BM_CLICK, 0, 0);
        return 0;
    }
    if (command == L"mouse") {
        front(top);
        clickOn(item);
        return 0;
    }
    if (command == L"state") {
        say(IsWindowVisible(item) ? L"visible" : L"hidden");
        say(IsWindowEnabled(item) ? L"enabled" : L"disabled");
        return 0;
    }
    return 2;
}

}  // namespace

int main() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> a;
    for (int i = 1; i < count; ++i) {
        a.emplace_back(arguments[i]);
    }
    LocalFree(arguments);
    if (a.empty()) {
        say(L"window_driver COMMAND [ARGUMENT]...");
        return 2;
    }
    return run(a);
}
