// soak_probe.cpp: the soak run's eyes and hands on a running game, found by its
// window class. Used by scripts/soak.sh:
//   soak_probe sample RVA   prints "frames private handles" of the game: the
//                           frame count read from the game's memory at RVA (the
//                           offset of g_frameCount in the program's image), its
//                           private bytes and its handle count; exit code 2 if
//                           there is no game window, 3 if the process cannot be read.
//                           Where the platform leaves PrivateUsage at 0 (Wine 8), the
//                           commit charge PagefileUsage stands in (Windows reports the
//                           two equal); where GetProcessHandleCount says 0 (a stub in
//                           Wine 8; a live process always holds handles), the process's
//                           entries in the system handle table are counted.
//   soak_probe keys SECONDS posts key presses to the window for that long: the
//                           arrows held in turn, the space bar tapped
//   soak_probe close        posts WM_CLOSE to the window
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const wchar_t* const GameWindowClass = L"__ZO_VA2DAZOR_IDAVAV";

HWND FindGame()
{
    return FindWindowW(GameWindowClass, NULL);
}

void PostKey(HWND hwnd, UINT message, WPARAM vk)
{
    LPARAM lParam = message == WM_KEYUP ? 0xC0000001 : 0x00000001;
    PostMessageW(hwnd, message, vk, lParam);
}

// Handles of the process in the system handle table (information class 16).
DWORD CountHandlesInSystemTable(DWORD pid)
{
    const ULONG SystemHandleInformationClass = 16;
    const NTSTATUS InfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
    std::vector<char> buffer(1 << 20);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(SystemHandleInformationClass),
                                              buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
           InfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status < 0)
        return 0;
    const SYSTEM_HANDLE_INFORMATION* table = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buffer.data());
    DWORD count = 0;
    for (ULONG i = 0; i < table->Count; i++)
        count += table->Handle[i].OwnerPid == pid;
    return count;
}

int Sample(unsigned long long rva)
{
    HWND hwnd = FindGame();
    if (hwnd == NULL)
        return 2;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (process == NULL)
        return 3;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    DWORD handles = 0;
    HMODULE module = NULL;
    DWORD needed = 0;
    LONG frames = -1;
    bool ok = GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory) &&
              GetProcessHandleCount(process, &handles) &&
              EnumProcessModules(process, &module, sizeof module, &needed);  // the first module is the program
    if (ok) {
        SIZE_T got = 0;
        const char* address = reinterpret_cast<const char*>(module) + rva;
        ok = ReadProcessMemory(process, address, &frames, sizeof frames, &got) && got == sizeof frames;
    }
    CloseHandle(process);
    if (!ok)
        return 3;
    SIZE_T privateBytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
    if (handles == 0)
        handles = CountHandlesInSystemTable(pid);
    printf("%ld %llu %lu\n", static_cast<long>(frames), static_cast<unsigned long long>(privateBytes),
           static_cast<unsigned long>(handles));
    return 0;
}

// Every 100 ms: an arrow held for 1.5 s in turn (left, up, right, down), and the
// space bar down every 300 ms, up 100 ms later. Ends early when the window goes.
int Keys(double seconds)
{
    const WPARAM arrows[4] = {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN};
    DWORD start = GetTickCount();
    int arrow = -1;
    for (unsigned tick = 0;; tick++) {
        HWND hwnd = FindGame();
        if (hwnd == NULL)
            return 2;
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= seconds * 1000.0)
            break;
        int want = static_cast<int>((elapsed / 1500) % 4);
        if (want != arrow) {
            if (arrow >= 0)
                PostKey(hwnd, WM_KEYUP, arrows[arrow]);
            arrow = want;
            PostKey(hwnd, WM_KEYDOWN, arrows[arrow]);
        }
        if (tick % 3 == 0)
            PostKey(hwnd, WM_KEYDOWN, VK_SPACE);
        else if (tick % 3 == 1)
            PostKey(hwnd, WM_KEYUP, VK_SPACE);
        Sleep(100);
    }
    if (HWND hwnd = FindGame()) {
        if (arrow >= 0)
            PostKey(hwnd, WM_KEYUP, arrows[arrow]);
        PostKey(hwnd, WM_KEYUP, VK_SPACE);
    }
    return 0;
}

int Close()
{
    HWND hwnd = FindGame();
    if (hwnd == NULL)
        return 2;
    return PostMessageW(hwnd, WM_CLOSE, 0, 0) ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && strcmp(argv[1], "sample") == 0)
        return Sample(strtoull(argv[2], NULL, 0));
    if (argc >= 3 && strcmp(argv[1], "keys") == 0)
        return Keys(atof(argv[2]));
    if (argc >= 2 && strcmp(argv[1], "close") == 0)
        return Close();
    fprintf(stderr, "usage: soak_probe sample RVA | keys SECONDS | close\n");
    return 1;
}
