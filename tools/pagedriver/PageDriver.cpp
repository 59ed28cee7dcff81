// PageDriver: scripts the setup page from a separate process, for the end-to-end tests.
//
// One command per line on stdin, one answer line on stdout:
//   "ok[ <payload>]", "timeout" or "error <reason>".
// Texts travel escaped both ways (\\, \t, \n, \r) and as UTF-8; they reach the page only
// through the UTF-16 messages, the only form that crosses processes intact. Lists answer
// "<count>\t<item>\t<item>...".
//
//   desktop <ms> <name>       work on that desktop (e.g. Wine's virtual desktop NAME)
//   run <command line>        start a program there, such as an installer that runs the page
//   exit <ms>                 wait for that program to end and answer its exit code
//   attach <ms> <caption>     wait for the page; later lookups stay in its process
//   attach-pid <ms> <pid> <caption>  the same for the page of that process (two pages at once)
//   shown <caption>           "1" while a window with the caption is shown (any process)
//   texts                     texts of the target's visible descendants (nested dialogs too)
//   wait|gone <ms> <caption>  a window with the caption is shown / has been destroyed
//   windows                   captions of the process's visible top-level windows
//   use [<caption>]           address the controls of that window (none: the page)
//   set-text|get-text <id> [<text>], click <id>, key <id> return|escape|tab|space
//   select <id> <index>, select-string <id> <text>, list <id>, selected <id>, checked <id>
//   drop <id> 1|0             open or close a combo box's list
//   focus                     "<id> <caption>" of the focused control of the page's thread
//   box <ms> <caption>        wait for a box and answer its message text
//   box-ok <caption>          press its OK and wait until the page takes input again
//   close [<caption>]         the close box
//   sync [<ms>]               wait until the page's thread is in a message loop
//   post-click <id> <count>   post BM_CLICK (a button) or WM_COMMAND <count> times at once
//   hungprobe <ms> <period>   for <ms>, every <period> ms: IsHungAppWindow and a timed WM_NULL;
//                             "<probes> <hung> <unanswered> <worst WM_NULL ms>"
//   rect <id>                 client-relative rectangle (id 0: the client area)
//   grab <x> <y> <w> <h>      client pixels, "<w> <h> <rrggbb...>"; syscolor <index>
//   hold <path>, release      keep a file open shared with no one (another page's lock)
//   quit
//
// Commands that may open a modal box on the page are delivered with SendNotifyMessageW: the
// driver does not wait for them, yet they keep their order with a later "sync" (a sent
// WM_NULL), so "click" followed by "sync" returns once the click was handled or the page
// waits in a modal loop. Keys are posted, so they pass through the page's dialog handling.
#include "platform/Handles.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr UINT kSendTimeoutMs = 5000;
constexpr DWORD kDefaultWaitMs = 10000;
// Short, so a wait ends within a few ms of the window showing (the benchmark times it).
constexpr DWORD kPollMs = 5;

// -- text ----------------------------------------------------------------------------------

std::wstring Widen(const std::string& text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

std::string Escape(const std::wstring& wide) {
    std::string out;
    for (char c : Narrow(wide)) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::wstring Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return Widen(out);
}

// Splits off the first blank-separated word; the rest keeps its inner blanks.
std::string TakeWord(std::string& rest) {
    const size_t blank = rest.find(' ');
    std::string word = rest.substr(0, blank);
    rest = blank == std::string::npos ? std::string() : rest.substr(blank + 1);
    return word;
}

bool ParseInt(const std::string& word, long& value) {
    if (word.empty())
        return false;
    char* end = nullptr;
    value = std::strtol(word.c_str(), &end, 10);
    return *end == '\0';
}

// -- the page's windows ----------------------------------------------------------------------

struct Page {
    HWND window = nullptr; // the setup page
    HWND target = nullptr; // the window whose controls the commands address
    DWORD processId = 0;
    DWORD threadId = 0;
};

Page page;

std::wstring Caption(HWND window) {
    // GetWindowTextW reads a caption without sending a message, even while the page is busy.
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    return buffer;
}

// A wizard's caption ends in its page's subcaption, which installers often set to one blank.
std::wstring WithoutTrailingBlanks(std::wstring text) {
    while (!text.empty() && text.back() == L' ')
        text.pop_back();
    return text;
}

struct CaptionQuery {
    const std::wstring* caption;
    DWORD processId;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM param) {
    auto* query = reinterpret_cast<CaptionQuery*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if ((query->visibleOnly && !IsWindowVisible(window)) ||
        (query->processId && processId != query->processId))
        return TRUE;
    if (WithoutTrailingBlanks(Caption(window)) != *query->caption)
        return TRUE;
    query->found = window;
    return FALSE;
}

// A top-level window with this caption, of the page's process once it is known.
HWND FindTopLevel(const std::wstring& caption, bool visibleOnly = true) {
    CaptionQuery query{&caption, page.processId, visibleOnly, nullptr};
    EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND WaitTopLevel(const std::wstring& caption, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = FindTopLevel(caption))
            return window;
        if (GetTickCount() - start >= timeoutMs)
            return nullptr;
        Sleep(kPollMs);
    }
}

bool WaitDestroyed(HWND window, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(kPollMs);
    }
    return true;
}

BOOL CALLBACK CollectCaption(HWND window, LPARAM param) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (IsWindowVisible(window) && processId == page.processId)
        reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(Caption(window));
    return TRUE;
}

std::vector<std::wstring> VisibleCaptions() {
    std::vector<std::wstring> captions;
    EnumWindows(CollectCaption, reinterpret_cast<LPARAM>(&captions));
    return captions;
}

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &answer))
        return false;
    result = static_cast<LRESULT>(answer);
    return true;
}

bool ControlText(HWND control, std::wstring& text) {
    LRESULT length = 0;
    if (!Send(control, WM_GETTEXTLENGTH, 0, 0, length))
        return false;
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = 0;
    if (!Send(control, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), copied))
        return false;
    buffer.resize(static_cast<size_t>(copied));
    text = buffer;
    return true;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
    if (lstrcmpiW(ClassOf(child).c_str(), L"Static") == 0)
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
    return TRUE;
}

// Answers the text of the Static child with the longest text: a message box's message.
bool LongestStatic(HWND box, std::wstring& longest) {
    std::vector<HWND> statics;
    EnumChildWindows(box, CollectStatic, reinterpret_cast<LPARAM>(&statics));
    longest.clear();
    for (HWND child : statics) {
        std::wstring text;
        if (!ControlText(child, text))
            return false;
        if (text.size() > longest.size())
            longest = text;
    }
    return true;
}

// Presses a control as a user would: a button gets BM_CLICK (which also moves the focus to
// it), a notifying static reports STN_CLICKED to its dialog.
bool Press(HWND dialog, HWND control) {
    if (lstrcmpiW(ClassOf(control).c_str(), L"Button") == 0)
        return SendNotifyMessageW(control, BM_CLICK, 0, 0);
    const WPARAM command = MAKEWPARAM(GetDlgCtrlID(control), STN_CLICKED);
    return SendNotifyMessageW(dialog, WM_COMMAND, command, reinterpret_cast<LPARAM>(control));
}

bool SyncPage(DWORD timeoutMs) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(page.window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored);
}

// -- programs the driver starts ------------------------------------------------------------

std::wstring desktopName; // empty: the desktop the driver was started on
KernelHandle launched;    // the program started last with "run"
FileHandle heldFile;      // the file taken with "hold"

// -- commands --------------------------------------------------------------------------------

using Handler = std::function<std::string(std::string&)>;

std::string Ok(const std::string& payload = {}) {
    return payload.empty() ? "ok" : "ok " + payload;
}

bool NeedPage(std::string& answer) {
    if (page.window && IsWindow(page.window))
        return true;
    answer = page.window ? "error page gone" : "error not attached";
    return false;
}

// Resolves "<id>" in the current target; id 0 is the target itself.
bool Control(std::string& args, HWND& control, std::string& answer) {
    if (!NeedPage(answer))
        return false;
    long id = 0;
    if (!ParseInt(TakeWord(args), id)) {
        answer = "error bad id";
        return false;
    }
    if (!page.target || !IsWindow(page.target)) {
        answer = "error target gone";
        return false;
    }
    control = id == 0 ? page.target : GetDlgItem(page.target, static_cast<int>(id));
    if (!control) {
        answer = "error no control " + std::to_string(id);
        return false;
    }
    return true;
}

// A command about the page answers an error before anything else while there is none.
Handler OnPage(std::string (*command)(std::string& args)) {
    return [command](std::string& args) {
        std::string answer;
        return NeedPage(answer) ? command(args) : answer;
    };
}

// A command about a control takes its "<id>" first; the rest is the command's own.
Handler OnControl(std::string (*command)(HWND control, std::string& args)) {
    return [command](std::string& args) {
        HWND control = nullptr;
        std::string answer;
        return Control(args, control, answer) ? command(control, args) : answer;
    };
}

DWORD TimeoutArg(std::string& args) {
    long value = 0;
    std::string word = TakeWord(args);
    return ParseInt(word, value) && value >= 0 ? static_cast<DWORD>(value) : kDefaultWaitMs;
}

// Waits for the page's window (of page.processId when that is set) and addresses it.
std::string AttachTo(const std::string& caption, DWORD timeoutMs) {
    HWND window = WaitTopLevel(Unescape(caption), timeoutMs);
    if (!window)
        return "timeout";
    page.window = page.target = window;
    page.threadId = GetWindowThreadProcessId(window, &page.processId);
    return Ok(std::to_string(page.processId));
}

std::string Attach(std::string& args) {
    const DWORD timeoutMs = TimeoutArg(args);
    page = {};
    return AttachTo(args, timeoutMs);
}

std::string AttachPid(std::string& args) {
    const DWORD timeoutMs = TimeoutArg(args);
    long processId = 0;
    if (!ParseInt(TakeWord(args), processId) || processId <= 0)
        return "error bad process id";
    page = {};
    page.processId = static_cast<DWORD>(processId);
    return AttachTo(args, timeoutMs);
}

// Windows on another desktop are invisible to EnumWindows, so the driver moves onto the
// desktop itself; it owns no window yet, which SetThreadDesktop requires.
std::string Desktop(std::string& args) {
    const DWORD timeoutMs = TimeoutArg(args);
    const std::wstring name = Unescape(args);
    const DWORD start = GetTickCount();
    HDESK desktop = nullptr;
    while (!(desktop = OpenDesktopW(name.c_str(), 0, FALSE, GENERIC_ALL))) {
        if (GetTickCount() - start >= timeoutMs)
            return "timeout";
        Sleep(kPollMs);
    }
    if (!SetThreadDesktop(desktop)) {
        CloseDesktop(desktop);
        return "error cannot switch desktop";
    }
    desktopName = name;
    return Ok();
}

std::string Run(std::string& args) {
    std::wstring commandLine = Unescape(args);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.lpDesktop = desktopName.empty() ? nullptr : desktopName.data();
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return "error cannot start " + std::to_string(GetLastError());
    CloseHandle(info.hThread);
    launched.reset(info.hProcess);
    return Ok(std::to_string(info.dwProcessId));
}

std::string Exit(std::string& args) {
    if (!launched.valid())
        return "error nothing started";
    if (WaitForSingleObject(launched.get(), TimeoutArg(args)) != WAIT_OBJECT_0)
        return "timeout";
    DWORD code = 0;
    GetExitCodeProcess(launched.get(), &code);
    return Ok(std::to_string(code));
}

// Opens a file shared with no one, as a page holds a lock file, until "release".
std::string Hold(std::string& args) {
    heldFile.reset();
    const HANDLE file = CreateFileW(Unescape(args).c_str(), GENERIC_READ | DELETE, 0, nullptr,
                                    OPEN_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "error cannot hold " + std::to_string(GetLastError());
    heldFile.reset(file);
    return Ok();
}

std::string Release(std::string&) {
    heldFile.reset();
    return Ok();
}

std::string Shown(std::string& args) {
    const std::wstring caption = Unescape(args);
    CaptionQuery query{&caption, 0, true, nullptr};
    EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&query));
    return Ok(query.found ? "1" : "0");
}

BOOL CALLBACK CollectShown(HWND child, LPARAM param) {
    if (IsWindowVisible(child))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
    return TRUE;
}

std::string Texts(std::string&) {
    std::vector<HWND> children;
    EnumChildWindows(page.target, CollectShown, reinterpret_cast<LPARAM>(&children));
    std::string payload;
    size_t count = 0;
    for (HWND child : children) {
        std::wstring text;
        if (!ControlText(child, text))
            return "error busy";
        if (text.empty())
            continue;
        payload += '\t' + Escape(text);
        ++count;
    }
    return Ok(std::to_string(count) + payload);
}

std::string Wait(std::string& args) {
    const DWORD timeoutMs = TimeoutArg(args);
    return WaitTopLevel(Unescape(args), timeoutMs) ? Ok() : "timeout";
}

// Waits until the window with this caption, shown or already hidden, is destroyed. A box that
// is merely hidden may still be inside its modal loop; the page itself goes with its process.
std::string Gone(std::string& args) {
    const DWORD timeoutMs = TimeoutArg(args);
    HWND window = FindTopLevel(Unescape(args), false);
    return !window || WaitDestroyed(window, timeoutMs) ? Ok() : "timeout";
}

std::string Windows(std::string&) {
    const std::vector<std::wstring> captions = VisibleCaptions();
    std::string payload = std::to_string(captions.size());
    for (const std::wstring& caption : captions)
        payload += '\t' + Escape(caption);
    return Ok(payload);
}

std::string Use(std::string& args) {
    HWND window = args.empty() ? page.window : FindTopLevel(Unescape(args));
    if (!window)
        return "error no window";
    page.target = window;
    return Ok();
}

std::string SetText(HWND control, std::string& args) {
    const std::wstring text = Unescape(args);
    LRESULT result = 0;
    if (!Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), result))
        return "error busy";
    return result ? Ok() : "error refused";
}

std::string GetText(HWND control, std::string&) {
    std::wstring text;
    return ControlText(control, text) ? Ok(Escape(text)) : "error busy";
}

std::string Click(HWND control, std::string&) {
    return Press(page.target, control) ? Ok() : "error not delivered";
}

std::string Key(HWND control, std::string& args) {
    static const std::map<std::string, WPARAM> keys = {
        {"return", VK_RETURN}, {"escape", VK_ESCAPE}, {"tab", VK_TAB}, {"space", VK_SPACE}};
    const auto key = keys.find(args);
    if (key == keys.end())
        return "error unknown key";
    // Repeat count 1; the key-up also carries the previous-state and transition bits.
    const LPARAM pressed = 1;
    const LPARAM released = static_cast<LPARAM>(0xC0000001u);
    if (!PostMessageW(control, WM_KEYDOWN, key->second, pressed) ||
        !PostMessageW(control, WM_KEYUP, key->second, released))
        return "error not delivered";
    return Ok();
}

std::string Close(std::string& args) {
    HWND window = args.empty() ? page.target : FindTopLevel(Unescape(args));
    if (!window)
        return "error no window";
    return PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? Ok() : "error not delivered";
}

// Selects entry <index> of a combobox and tells its dialog, as a pick by the user would.
std::string SelectIndex(HWND control, long index) {
    LRESULT result = 0;
    if (!Send(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0, result))
        return "error busy";
    const WPARAM command = MAKEWPARAM(GetDlgCtrlID(control), CBN_SELCHANGE);
    SendNotifyMessageW(GetParent(control), WM_COMMAND, command, reinterpret_cast<LPARAM>(control));
    return Ok(std::to_string(result));
}

std::string Select(HWND control, std::string& args) {
    long index = 0;
    if (!ParseInt(args, index))
        return "error bad index";
    return SelectIndex(control, index);
}

std::string SelectString(HWND control, std::string& args) {
    const std::wstring text = Unescape(args);
    LRESULT index = 0;
    if (!Send(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
              reinterpret_cast<LPARAM>(text.c_str()), index))
        return "error busy";
    return index == CB_ERR ? "error not found" : SelectIndex(control, static_cast<long>(index));
}

std::string List(HWND control, std::string&) {
    LRESULT count = 0;
    if (!Send(control, CB_GETCOUNT, 0, 0, count) || count < 0)
        return "error busy";
    std::string payload = std::to_string(count);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = 0;
        if (!Send(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0, length) || length < 0)
            return "error busy";
        std::wstring entry(static_cast<size_t>(length) + 1, L'\0');
        LRESULT copied = 0;
        if (!Send(control, CB_GETLBTEXT, static_cast<WPARAM>(i),
                  reinterpret_cast<LPARAM>(entry.data()), copied) ||
            copied < 0)
            return "error busy";
        entry.resize(static_cast<size_t>(copied));
        payload += '\t' + Escape(entry);
    }
    return Ok(payload);
}

std::string Selected(HWND control, std::string&) {
    LRESULT index = 0;
    return Send(control, CB_GETCURSEL, 0, 0, index) ? Ok(std::to_string(index)) : "error busy";
}

std::string Checked(HWND control, std::string&) {
    LRESULT state = 0;
    return Send(control, BM_GETCHECK, 0, 0, state) ? Ok(std::to_string(state)) : "error busy";
}

// Opens (1) or closes (0) a combo box's list, as a click on its arrow would.
std::string Drop(HWND control, std::string& args) {
    const WPARAM open = std::atoi(args.c_str()) != 0 ? TRUE : FALSE;
    LRESULT ignored = 0;
    return Send(control, CB_SHOWDROPDOWN, open, 0, ignored) ? Ok() : "error busy";
}

// The focused control of the page's thread: "<id> <caption of its top-level window>".
std::string Focus(std::string&) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(page.threadId, &info))
        return "error no thread info";
    if (!info.hwndFocus)
        return Ok("0");
    const int id = GetDlgCtrlID(info.hwndFocus);
    return Ok(std::to_string(id) + " " + Escape(Caption(GetAncestor(info.hwndFocus, GA_ROOT))));
}

std::string Box(std::string& args) {
    const DWORD timeoutMs = TimeoutArg(args);
    HWND box = WaitTopLevel(Unescape(args), timeoutMs);
    if (!box)
        return "timeout";
    std::wstring text;
    return LongestStatic(box, text) ? Ok(Escape(text)) : "error busy";
}

// Presses the OK button of a box and waits until the box is destroyed and the page waits for
// input again, so the page's reaction to the closing (such as a focus move) is complete.
std::string BoxOk(std::string& args) {
    HWND box = FindTopLevel(Unescape(args));
    if (!box)
        return "error no window";
    HWND ok = GetDlgItem(box, IDOK);
    const bool delivered =
        ok ? Press(box, ok) : SendNotifyMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    if (!delivered)
        return "error not delivered";
    if (!WaitDestroyed(box, kDefaultWaitMs))
        return "timeout";
    return !IsWindow(page.window) || SyncPage(kDefaultWaitMs) ? Ok() : "timeout";
}

std::string Sync(std::string& args) {
    return SyncPage(TimeoutArg(args)) ? Ok() : "timeout";
}

// Posts the click <count> times without waiting: the clicks queue up behind whatever the
// page is doing, as fast presses by an impatient user would.
std::string PostClick(HWND control, std::string& args) {
    long count = 0;
    if (!ParseInt(args, count) || count < 1)
        return "error bad count";
    const bool button = lstrcmpiW(ClassOf(control).c_str(), L"Button") == 0;
    const WPARAM command = MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED);
    for (long i = 0; i < count; ++i) {
        const bool posted = button ? PostMessageW(control, BM_CLICK, 0, 0)
                                   : PostMessageW(page.target, WM_COMMAND, command,
                                                  reinterpret_cast<LPARAM>(control));
        if (!posted)
            return "error not delivered";
    }
    return Ok();
}

// Watches the page as the system does while it works: is it flagged as hung, and how long
// does it take to answer WM_NULL (each try gives up after a second).
std::string HungProbe(std::string& args) {
    long duration = 0, period = 0;
    if (!ParseInt(TakeWord(args), duration) || !ParseInt(args, period) || duration < 0 ||
        period < 1)
        return "error bad times";
    constexpr UINT kNullTimeoutMs = 1000;
    long probes = 0, hung = 0, unanswered = 0;
    DWORD worst = 0;
    const DWORD start = GetTickCount();
    for (DWORD next = start; GetTickCount() - start < static_cast<DWORD>(duration);
         next += static_cast<DWORD>(period)) {
        const DWORD now = GetTickCount();
        if (static_cast<LONG>(next - now) > 0)
            Sleep(next - now);
        ++probes;
        if (IsHungAppWindow(page.window))
            ++hung;
        DWORD_PTR ignored = 0;
        const DWORD sent = GetTickCount();
        if (!SendMessageTimeoutW(page.window, WM_NULL, 0, 0, SMTO_NORMAL, kNullTimeoutMs, &ignored))
            ++unanswered;
        const DWORD took = GetTickCount() - sent;
        if (took > worst)
            worst = took;
    }
    return Ok(std::to_string(probes) + " " + std::to_string(hung) + " " +
              std::to_string(unanswered) + " " + std::to_string(worst));
}

std::string Rect(HWND control, std::string&) {
    RECT rect{};
    if (control == page.target) {
        GetClientRect(control, &rect);
    } else {
        GetWindowRect(control, &rect);
        MapWindowPoints(HWND_DESKTOP, page.target, reinterpret_cast<POINT*>(&rect), 2);
    }
    return Ok(std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
              std::to_string(rect.right) + " " + std::to_string(rect.bottom));
}

// Copies a rectangle of the target's client area: "<width> <height> <rrggbb...>" row by row.
std::string Grab(std::string& args) {
    long x = 0, y = 0, width = 0, height = 0;
    if (!ParseInt(TakeWord(args), x) || !ParseInt(TakeWord(args), y) ||
        !ParseInt(TakeWord(args), width) || !ParseInt(args, height) || width <= 0 || height <= 0)
        return "error bad rectangle";
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC source = GetDC(page.target);
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::string payload;
    if (bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        const bool copied = BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
        SelectObject(memory, previous);
        if (copied) {
            payload = std::to_string(width) + " " + std::to_string(height) + " ";
            const auto* pixel = static_cast<const unsigned char*>(bits);
            static const char digits[] = "0123456789abcdef";
            for (long i = 0; i < width * height; ++i, pixel += 4) {
                for (int channel : {2, 1, 0}) { // stored blue, green, red
                    payload += digits[pixel[channel] >> 4];
                    payload += digits[pixel[channel] & 15];
                }
            }
        }
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(page.target, source);
    return payload.empty() ? "error grab failed" : Ok(payload);
}

// A system colour as "r g b"; the driver shares the page's Wine prefix, so its colours.
std::string SysColor(std::string& args) {
    long index = 0;
    if (!ParseInt(args, index))
        return "error bad index";
    const COLORREF colour = GetSysColor(static_cast<int>(index));
    return Ok(std::to_string(GetRValue(colour)) + " " + std::to_string(GetGValue(colour)) + " " +
              std::to_string(GetBValue(colour)));
}

void Answer(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

int main() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);

    const std::map<std::string, Handler> commands = {
        {"attach", Attach},
        {"wait", Wait},
        {"gone", Gone},
        {"windows", OnPage(Windows)},
        {"use", OnPage(Use)},
        {"set-text", OnControl(SetText)},
        {"get-text", OnControl(GetText)},
        {"click", OnControl(Click)},
        {"key", OnControl(Key)},
        {"close", OnPage(Close)},
        {"select", OnControl(Select)},
        {"select-string", OnControl(SelectString)},
        {"list", OnControl(List)},
        {"selected", OnControl(Selected)},
        {"checked", OnControl(Checked)},
        {"focus", OnPage(Focus)},
        {"box", OnPage(Box)},
        {"box-ok", OnPage(BoxOk)},
        {"sync", OnPage(Sync)},
        {"rect", OnControl(Rect)},
        {"grab", OnPage(Grab)},
        {"syscolor", SysColor},
        {"drop", OnControl(Drop)},
        {"desktop", Desktop},
        {"run", Run},
        {"exit", Exit},
        {"shown", Shown},
        {"texts", OnPage(Texts)},
        {"post-click", OnControl(PostClick)},
        {"hungprobe", OnPage(HungProbe)},
        {"attach-pid", AttachPid},
        {"hold", Hold},
        {"release", Release},
    };

    std::string line;
    int c = 0;
    while ((c = std::fgetc(stdin)) != EOF) {
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string args = line;
        line.clear();
        const std::string name = TakeWord(args);
        if (name == "quit") {
            Answer("ok");
            break;
        }
        const auto command = commands.find(name);
        Answer(command == commands.end() ? "error unknown command" : command->second(args));
    }
    return 0;
}
