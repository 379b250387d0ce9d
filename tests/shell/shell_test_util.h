// shell_test_util.h: what the shell's tests share: PNG images written with the
// imaging encoder, a scratch folder that is removed again, and the render lock.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Writes a w x h PNG from 0xAARRGGBB pixels (straight alpha); without alpha the
// file has no alpha channel at all.
HRESULT WritePng(const std::wstring& path, UINT w, UINT h, const std::vector<uint32_t>& pixels, bool withAlpha);

// A fresh folder under the temporary folder, deleted with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const wchar_t* name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// The absolute form of a path relative to the current folder.
std::wstring FullPath(const wchar_t* relative);

// Initialises the shell's render lock once for the whole test program (WinMain's
// work in the real program).
void EnsureRenderLock();
