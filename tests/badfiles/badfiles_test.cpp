// badfiles_test.cpp: the program against broken data files. Each of the eight
// files is replaced in turn, in a scratch copy of bin/, by an empty file, the
// first half of itself, random bytes, a folder of the same name, and (for the two
// images) a valid 1 x 1 PNG. Whatever the file, the program must not crash: it
// either shows the box of the file's group and ends with exit code 0 once the box
// is closed, or, where the platform can still load the file, it runs and ends
// with exit code 0 when its window is closed.
#include "desktop.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

const wchar_t* const ClassName = L"__ZO_VA2DAZOR_IDAVAV";
const wchar_t* const ImageBoxText = L"画像ファイルが開けません";
const wchar_t* const SoundBoxText = L"サウンドファイルが開けません";
constexpr DWORD Deadline = 120000;  // ms; for slow machines, never an expectation
constexpr int ClientW = 600, ClientH = 720;

bool IsImage(const std::wstring& file)
{
    return file.compare(0, 7, L"images\\") == 0;
}

bool WaitFor(const std::function<bool()>& done, DWORD deadline = Deadline)
{
    return PollUntil(done, deadline, 50);
}

std::vector<char> ReadAll(const std::wstring& path)
{
    std::vector<char> bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return bytes;
    LARGE_INTEGER size;
    GetFileSizeEx(f, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty() && !ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
        got = 0;
    bytes.resize(got);
    CloseHandle(f);
    return bytes;
}

bool WriteAll(const std::wstring& path, const std::vector<char>& bytes)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD put = 0;
    bool ok = bytes.empty() || (WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
                                put == bytes.size());
    CloseHandle(f);
    return ok;
}

// The same bytes in every run: a fixed linear congruential sequence.
std::vector<char> RandomBytes(size_t n)
{
    std::vector<char> out(n);
    uint32_t state = 20240601;
    for (char& c : out) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    return out;
}

enum class Damage { Empty, Truncated, Random, Folder, TinyPng };

const char* DamageName(Damage d)
{
    switch (d) {
    case Damage::Empty: return "Empty";
    case Damage::Truncated: return "Truncated";
    case Damage::Random: return "Random";
    case Damage::Folder: return "Folder";
    case Damage::TinyPng: return "TinyPng";
    }
    return "?";
}

constexpr uint32_t TinyColour = 0xFF00FF;  // magenta: nothing else in the game is

// A scratch copy of the third program and all its data files, one of them
// damaged; removed again at the end, whatever the program left in it.
class ScratchCopy : public ScratchFolder {
public:
    ScratchCopy(const std::wstring& damaged, Damage damage) : ScratchFolder(L"badfiles")
    {
        ok_ = CopyProgram(path(), L"velkarn-3.exe", damaged.c_str());
        std::wstring to = *this / damaged.c_str();
        switch (damage) {
        case Damage::Empty:
            ok_ = ok_ && WriteAll(to, {});
            break;
        case Damage::Truncated: {
            std::vector<char> bytes = ReadAll(FullPath(damaged));
            ok_ = ok_ && bytes.size() > 1;
            bytes.resize(bytes.size() / 2);
            ok_ = ok_ && WriteAll(to, bytes);
            break;
        }
        case Damage::Random:
            ok_ = ok_ && WriteAll(to, RandomBytes(4096));
            break;
        case Damage::Folder:
            ok_ = ok_ && CreateDirectoryW(to.c_str(), nullptr) != 0;
            break;
        case Damage::TinyPng:  // a valid PNG of one pixel
            ok_ = ok_ && SUCCEEDED(WriteOpaquePng(to, 1, 1, {TinyColour}));
            break;
        }
    }
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

// The client area as the window's device context shows it, 0x00RRGGBB.
std::vector<uint32_t> Capture(HWND hwnd)
{
    return CaptureClient(hwnd, ClientW, ClientH);
}

struct Case {
    const wchar_t* file;
    Damage damage;
};

std::vector<Case> AllCases()
{
    std::vector<Case> out;
    for (const wchar_t* f : DataFiles) {
        for (Damage d : {Damage::Empty, Damage::Truncated, Damage::Random, Damage::Folder})
            out.push_back({f, d});
        if (IsImage(f))
            out.push_back({f, Damage::TinyPng});
    }
    return out;
}

std::string CaseName(const Case& c)
{
    std::string name;
    for (const wchar_t* p = c.file; *p; p++)
        if ((*p >= L'a' && *p <= L'z') || (*p >= L'A' && *p <= L'Z') || (*p >= L'0' && *p <= L'9'))
            name += static_cast<char>(*p);
    return name + "_" + DamageName(c.damage);
}

std::wstring Widen(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

// What a case must give. Nothing can load an empty file or a folder, and no
// image decoder takes random bytes or half a PNG. Half an MP3 is still an MP3, and
// whether random bytes pass for one depends on the platform's decoders (Wine's
// GStreamer takes them): there either outcome is sound, as long as it is clean.
enum class Expect { Box, Runs, Either };

Expect Expected(const Case& c)
{
    switch (c.damage) {
    case Damage::Empty:
    case Damage::Folder:
        return Expect::Box;
    case Damage::Truncated:
    case Damage::Random:
        return IsImage(c.file) ? Expect::Box : Expect::Either;
    case Damage::TinyPng:
        return Expect::Runs;
    }
    return Expect::Either;
}

size_t Lit(const std::vector<uint32_t>& picture)
{
    size_t n = 0;
    for (uint32_t p : picture)
        n += p != 0;
    return n;
}

// Pixels within 8 of the colour in every channel.
size_t CountColour(const std::vector<uint32_t>& picture, uint32_t rgb)
{
    size_t n = 0;
    for (uint32_t p : picture) {
        bool close = true;
        for (int shift = 0; shift < 24; shift += 8)
            close = close && std::abs(static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((rgb >> shift) & 0xFF)) <= 8;
        n += close ? 1 : 0;
    }
    return n;
}

// Writes a captured client area as a PNG.
HRESULT SavePng(const std::vector<uint32_t>& shot, const std::wstring& path)
{
    return WriteOpaquePng(path, ClientW, ClientH, shot);
}

class BadFile : public ::testing::TestWithParam<Case> {};

}  // namespace

TEST_P(BadFile, NoCrashTheRightBoxOrAGameAndExitCodeZero)
{
    const Case& c = GetParam();
    ScratchCopy copy(c.file, c.damage);
    ASSERT_TRUE(copy.ok()) << "scratch copy not made";
    ChildProgram child(copy.path() + L"\\velkarn-3.exe", copy.path(), Deadline);
    ASSERT_TRUE(child.started());

    // The box is looked for by its caption, so that it is seen only once its
    // text is in place; any other dialog of the program is a failure.
    HWND box = nullptr, window = nullptr, other = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        box = child.FindTopWindow(L"#32770", L"V2Ivo");
        window = child.FindTopWindow(ClassName);
        return box != nullptr || window != nullptr || !child.running();
    })) << "neither a box nor a window";
    ASSERT_TRUE(box != nullptr || window != nullptr) << "the program ended without a box or a window (exit code "
                                                     << child.ExitCode() << ")";

    Expect expect = Expected(c);
    if (box != nullptr) {
        printf("  %s: box\n", CaseName(c).c_str());
        EXPECT_NE(expect, Expect::Runs) << "a box for a file that loads";
        std::wstring text;
        WaitFor([&] {
            text = BoxText(box);
            return !text.empty();
        }, 10000);
        EXPECT_EQ(text, IsImage(c.file) ? ImageBoxText : SoundBoxText);
        EXPECT_EQ(child.FindTopWindow(ClassName), nullptr) << "a main window behind the box";
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(child.ExitCode(), 0);
        return;
    }
    printf("  %s: game\n", CaseName(c).c_str());
    EXPECT_NE(expect, Expect::Box) << "loaded without a box";
    other = child.FindTopWindow(L"#32770", nullptr);
    EXPECT_EQ(other, nullptr) << "a dialog beside the game";

    // The game runs: it draws, and its picture moves on from frame to frame (a
    // capture can come back black between two presents; those are not compared).
    std::vector<uint32_t> first, shot;
    EXPECT_TRUE(WaitFor([&] {
        first = Capture(window);
        return Lit(first) > 0;
    })) << "nothing is ever drawn";
    EXPECT_TRUE(WaitFor([&] {
        shot = Capture(window);
        return Lit(shot) > 0 && shot != first;
    })) << "the picture stands still";
    if (c.damage == Damage::TinyPng) {
        // The sheet holds one pixel: its colour is what the game's sprites or
        // background show. The picture is kept for people to look at.
        EXPECT_TRUE(WaitFor([&] {
            shot = Capture(window);
            return CountColour(shot, TinyColour) > 0;
        })) << "the one-pixel sheet's colour never shows";
        CreateDirectoryW(L"screenshots", nullptr);
        SavePng(shot, FullPath(L"screenshots\\badfiles-" + Widen(CaseName(c)) + L".png"));
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(child.ExitCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(DataFiles, BadFile, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<Case>& info) { return CaseName(info.param); });
