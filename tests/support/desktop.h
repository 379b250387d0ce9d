// desktop.h: what the tests that work on real files, processes and windows share:
// paths, scratch folders, a copy of a program with its data files, the program as
// a child process, its windows and boxes, screen captures and PNG files.
#pragma once

#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The data files the programs read, relative to the folder they start in.
constexpr int DataFileCount = 8;
extern const wchar_t* const DataFiles[DataFileCount];

// The absolute form of a path relative to the current folder.
std::wstring FullPath(const std::wstring& relative);

// Polls `done` every `pollMs` until it holds (true) or `deadline` ms pass (false).
bool PollUntil(const std::function<bool()>& done, DWORD deadline, DWORD pollMs);

// A fresh folder "velkarn-<tag>-..." under the temporary folder, deleted with
// everything in it, whatever a program run there left behind.
class ScratchFolder {
public:
    explicit ScratchFolder(const wchar_t* tag);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const wchar_t* name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Copies the program `exe` and every data file but `leaveOut` (may be null) from
// the current folder into `to`; false if any copy fails.
bool CopyProgram(const std::wstring& to, const wchar_t* exe, const wchar_t* leaveOut);

// A program run as a child process in a folder of its own; ended by force (exit
// code 99) if a test leaves it running.
class ChildProgram {
public:
    // `exitDeadline`: how long ExitCode() waits for the process to end, in ms.
    ChildProgram(const std::wstring& exe, const std::wstring& folder, DWORD exitDeadline);
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    bool started() const { return started_; }
    bool running() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD processId() const { return pi_.dwProcessId; }
    // The exit code once the process has ended, or -1 if it does not end in time.
    long ExitCode() const;
    // The top-level window of this process with the class and (if given) title.
    HWND FindTopWindow(const wchar_t* cls, const wchar_t* title = nullptr) const;

private:
    PROCESS_INFORMATION pi_ = {};
    bool started_ = false;
    DWORD exitDeadline_;
};

// The text of a message box: its first non-empty "Static" child; empty if none.
std::wstring BoxText(HWND box);

// The top-left width x height of the window's client area as its device context
// shows it, one 0x00RRGGBB per pixel, top row first.
std::vector<uint32_t> CaptureClient(HWND hwnd, int width, int height);

// Encodes `source` as a PNG file.
HRESULT EncodePng(IWICImagingFactory* wic, IWICBitmapSource* source, const std::wstring& path);

// Writes a w x h PNG from 0xAARRGGBB pixels (straight alpha); without alpha the
// file has no alpha channel at all.
HRESULT WritePng(const std::wstring& path, UINT w, UINT h, const std::vector<uint32_t>& pixels, bool withAlpha);

// Writes w x h 0x00RRGGBB pixels (a capture) as a PNG that is opaque throughout.
HRESULT WriteOpaquePng(const std::wstring& path, UINT w, UINT h, const std::vector<uint32_t>& rgb);
