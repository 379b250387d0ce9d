// shell_test_util.cpp: PNG writing, scratch folders and the render lock for the shell's tests.
#include "shell_test_util.h"

#include "shell.h"

#include <wincodec.h>

HRESULT WritePng(const std::wstring& path, UINT w, UINT h, const std::vector<uint32_t>& pixels, bool withAlpha)
{
    IWICImagingFactory* wic = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
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
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&wic));
    if (SUCCEEDED(hr))
        hr = wic->CreateStream(&stream);
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
        hr = frame->SetSize(w, h);
    if (SUCCEEDED(hr))
        hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr))
        hr = frame->WritePixels(h, w * bpp, static_cast<UINT>(bytes.size()), bytes.data());
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
    if (wic)
        wic->Release();
    return hr;
}

ScratchFolder::ScratchFolder()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int serial;
    path_ = std::wstring(temp) + L"velkarn-shell-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
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

std::wstring FullPath(const wchar_t* relative)
{
    wchar_t full[MAX_PATH];
    GetFullPathNameW(relative, MAX_PATH, full, nullptr);
    return full;
}

void EnsureRenderLock()
{
    static bool done;
    if (!done) {
        InitializeCriticalSection(&g_renderLock);
        done = true;
    }
}
