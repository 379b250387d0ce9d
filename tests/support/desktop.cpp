// desktop.cpp: files, child processes, windows, captures and PNG files for the
// tests that run the real programs or read real images.
#include "desktop.h"

const wchar_t* const DataFiles[DataFileCount] = {
    L"images\\back01.png", L"images\\jiki1.png", L"sound\\bgm01.mp3", L"sound\\bgm02.mp3",
    L"sound\\bgm03.mp3",   L"sound\\bom2.mp3",   L"sound\\SHOT.mp3",  L"sound\\Loc2.mp3",
};

std::wstring FullPath(const std::wstring& relative)
{
    wchar_t full[MAX_PATH];
    GetFullPathNameW(relative.c_str(), MAX_PATH, full, nullptr);
    return full;
}

bool PollUntil(const std::function<bool()>& done, DWORD deadline, DWORD pollMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (done())
            return true;
        if (GetTickCount() - start > deadline)
            return false;
        Sleep(pollMs);
    }
}

// ---- scratch folders ----------------------------------------------------------------------

ScratchFolder::ScratchFolder(const wchar_t* tag)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int serial;
    path_ = std::wstring(temp) + L"velkarn-" + tag + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++serial);
    CreateDirectoryW(path_.c_str(), nullptr);
}

static void RemoveTree(const std::wstring& dir)
{
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring full = dir + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

ScratchFolder::~ScratchFolder()
{
    RemoveTree(path_);
}

bool CopyProgram(const std::wstring& to, const wchar_t* exe, const wchar_t* leaveOut)
{
    // The subfolders may exist already; a real failure shows in the copies below.
    CreateDirectoryW((to + L"\\images").c_str(), nullptr);
    CreateDirectoryW((to + L"\\sound").c_str(), nullptr);
    bool ok = CopyFileW(FullPath(exe).c_str(), (to + L"\\" + exe).c_str(), FALSE) != 0;
    for (const wchar_t* f : DataFiles) {
        if (leaveOut && std::wstring(f) == leaveOut)
            continue;
        ok = CopyFileW(FullPath(f).c_str(), (to + L"\\" + f).c_str(), FALSE) != 0 && ok;
    }
    return ok;
}

// ---- the program as a child process -------------------------------------------------------

ChildProgram::ChildProgram(const std::wstring& exe, const std::wstring& folder, DWORD exitDeadline)
    : exitDeadline_(exitDeadline)
{
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    std::wstring cmd = L"\"" + exe + L"\"";
    started_ =
        CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi_) != 0;
}

ChildProgram::~ChildProgram()
{
    if (!started_)
        return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(pi_.hProcess, 99);
        WaitForSingleObject(pi_.hProcess, 30000);  // a process that will not die is left to the system
    }
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
}

long ChildProgram::ExitCode() const
{
    if (WaitForSingleObject(pi_.hProcess, exitDeadline_) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return static_cast<long>(code);
}

HWND ChildProgram::FindTopWindow(const wchar_t* cls, const wchar_t* title) const
{
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, cls, title)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == pi_.dwProcessId)
            return w;
    }
    return nullptr;
}

// ---- windows and captures -----------------------------------------------------------------

static BOOL CALLBACK FindStaticText(HWND child, LPARAM out)
{
    wchar_t cls[32], text[256];
    GetClassNameW(child, cls, 32);
    if (_wcsicmp(cls, L"Static") == 0 && GetWindowTextW(child, text, 256) > 0) {
        *reinterpret_cast<std::wstring*>(out) = text;
        return FALSE;
    }
    return TRUE;
}

std::wstring BoxText(HWND box)
{
    std::wstring text;
    EnumChildWindows(box, FindStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

std::vector<uint32_t> CaptureClient(HWND hwnd, int width, int height)
{
    std::vector<uint32_t> out(static_cast<size_t>(width) * height);
    HDC source = GetDC(hwnd);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < out.size(); i++)
        out[i] = p[i] & 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(hwnd, source);
    return out;
}

// ---- PNG files ----------------------------------------------------------------------------

HRESULT EncodePng(IWICImagingFactory* wic, IWICBitmapSource* source, const std::wstring& path)
{
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    HRESULT hr = wic->CreateStream(&stream);
    if (SUCCEEDED(hr))
        hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
    if (SUCCEEDED(hr))
        hr = wic->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(hr))
        hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr))
        hr = encoder->CreateNewFrame(&frame, nullptr);
    if (SUCCEEDED(hr))
        hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr))
        hr = frame->WriteSource(source, nullptr);  // takes the source's size and pixel format
    if (SUCCEEDED(hr))
        hr = frame->Commit();
    if (SUCCEEDED(hr))
        hr = encoder->Commit();
    if (frame)
        frame->Release();
    if (encoder)
        encoder->Release();
    if (stream)
        stream->Release();
    return hr;
}

HRESULT WritePng(const std::wstring& path, UINT w, UINT h, const std::vector<uint32_t>& pixels, bool withAlpha)
{
    UINT bpp = withAlpha ? 4 : 3;
    std::vector<BYTE> bytes;
    for (uint32_t p : pixels) {
        bytes.push_back(p & 0xFF);
        bytes.push_back((p >> 8) & 0xFF);
        bytes.push_back((p >> 16) & 0xFF);
        if (withAlpha)
            bytes.push_back(p >> 24);
    }
    WICPixelFormatGUID format = withAlpha ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat24bppBGR;
    // Callers need not have COM ready; when they have, this only counts up and down.
    HRESULT com = CoInitialize(nullptr);
    IWICImagingFactory* wic = nullptr;
    IWICBitmap* bitmap = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&wic));
    if (SUCCEEDED(hr))
        hr = wic->CreateBitmapFromMemory(w, h, format, w * bpp, static_cast<UINT>(bytes.size()), bytes.data(), &bitmap);
    if (SUCCEEDED(hr))
        hr = EncodePng(wic, bitmap, path);
    if (bitmap)
        bitmap->Release();
    if (wic)
        wic->Release();
    if (SUCCEEDED(com))
        CoUninitialize();
    return hr;
}

HRESULT WriteOpaquePng(const std::wstring& path, UINT w, UINT h, const std::vector<uint32_t>& rgb)
{
    std::vector<uint32_t> opaque(rgb);
    for (uint32_t& p : opaque)
        p |= 0xFF000000u;
    return WritePng(path, w, h, opaque, true);
}
