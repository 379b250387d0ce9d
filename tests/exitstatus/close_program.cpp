// close_program.cpp: closes a running program as a user would, for the exit-status
// test script. Given the full path of the program's .exe, it waits for that
// program's main window (until it shows a picture) or its "V2Ivo" message box,
// closes the window (WM_CLOSE) or presses OK, and prints one line saying what it saw:
//   window        the main window, with a picture in it
//   window black  the main window, but nothing ever drawn in it
//   box image     the box that an image file cannot be opened
//   box sound     the box that a sound file cannot be opened
//   box other     a "V2Ivo" box with any other text
//   ended         the program ended with neither
//   nothing       neither appeared before the deadline
// The exit code is 0 when it closed something, 1 otherwise.
#include "desktop.h"

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const wchar_t* const ClassName = L"__ZO_VA2DAZOR_IDAVAV";
constexpr int ClientW = 600, ClientH = 720;
constexpr DWORD Deadline = 120000;  // ms; for slow machines, never an expectation

std::wstring g_program;  // the full path of the program's .exe

// The full path of a process's .exe; empty if it cannot be read.
std::wstring ImagePath(DWORD pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == NULL)
        return L"";
    wchar_t path[MAX_PATH];
    DWORD size = MAX_PATH;
    std::wstring out;
    if (QueryFullProcessImageNameW(process, 0, path, &size))
        out.assign(path, size);
    CloseHandle(process);
    return out;
}

bool IsTheProgram(DWORD pid)
{
    return _wcsicmp(ImagePath(pid).c_str(), g_program.c_str()) == 0;
}

bool ProgramRunning()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry))
        found = IsTheProgram(entry.th32ProcessID);
    CloseHandle(snapshot);
    return found;
}

// The program's top-level window of the class and (if given) title.
HWND FindProgramWindow(const wchar_t* cls, const wchar_t* title)
{
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, cls, title)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (IsTheProgram(pid))
            return w;
    }
    return nullptr;
}

bool Lit(const std::vector<uint32_t>& picture)
{
    for (uint32_t p : picture)
        if (p != 0)
            return true;
    return false;
}

// Waits until the window shows a picture: the paint cycle and the frame clock run.
bool Drawn(HWND window)
{
    return PollUntil([&] { return Lit(CaptureClient(window, ClientW, ClientH)); }, Deadline, 50);
}

const char* BoxKind(HWND box)
{
    std::wstring text;
    PollUntil([&] { return !(text = BoxText(box)).empty(); }, 10000, 50);
    if (text == L"画像ファイルが開けません")
        return "box image";
    if (text == L"サウンドファイルが開けません")
        return "box sound";
    return "box other";
}

}  // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 2) {
        fprintf(stderr, "usage: close_program PROGRAM.EXE\n");
        return 2;
    }
    g_program = FullPath(argv[1]);
    LocalFree(argv);

    HWND box = nullptr, window = nullptr;
    bool seen = false, ended = false;
    PollUntil([&] {
        box = FindProgramWindow(L"#32770", L"V2Ivo");
        window = FindProgramWindow(ClassName, nullptr);
        if (box != nullptr || window != nullptr)
            return true;
        // The program may not have started yet: it has ended only once it was seen.
        bool running = ProgramRunning();
        ended = seen && !running;
        seen = seen || running;
        return ended;
    }, Deadline, 50);

    const char* saw = "nothing";
    if (box != nullptr) {
        saw = BoxKind(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    } else if (window != nullptr) {
        saw = Drawn(window) ? "window" : "window black";
        PostMessageW(window, WM_CLOSE, 0, 0);
    } else if (ended) {
        saw = "ended";
    }
    printf("%s\n", saw);
    return box != nullptr || window != nullptr ? 0 : 1;
}
