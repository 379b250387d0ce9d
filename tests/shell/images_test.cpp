// Loading the data files at start-up against real files in a scratch folder,
// with each file missing in turn, and the conversion of a decoded image into a
// device bitmap.
#include "desktop.h"
#include "offscreen_target.h"
#include "shell.h"
#include "shell_test_util.h"
#include "sound.h"

#include <gtest/gtest.h>

namespace {

struct Box {
    HWND owner;
    std::wstring text, caption;
    UINT style;
};
std::vector<Box> s_boxes;

int WINAPI RecordBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style)
{
    s_boxes.push_back({owner, text, caption, style});
    return IDOK;
}

const wchar_t* const SoundKeys[] = {L"bgm001", L"bgm002", L"bgm003", L"hit", L"pow", L"loc"};

const wchar_t* const ImagesText = L"画像ファイルが開けません";
const wchar_t* const SoundsText = L"サウンドファイルが開けません";

class LoadData : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_GE(CreateImagingFactory(), 0);
        InitSound();
    }
    static void TearDownTestSuite()
    {
        ShutdownSound();
        ReleaseImagingFactory();
    }
    void SetUp() override
    {
        // A short silent MP3 made at build time beside the tests.
        silence = FullPath(L"shelltest\\silence.mp3");
        ASSERT_NE(GetFileAttributesW(silence.c_str()), INVALID_FILE_ATTRIBUTES);
        s_boxes.clear();
        g_showMessageBox = RecordBox;
    }
    void TearDown() override
    {
        g_showMessageBox = MessageBoxW;
        if (g_backgroundImage)
            g_backgroundImage->Release();
        if (g_spriteImage)
            g_spriteImage->Release();
        g_backgroundImage = g_spriteImage = nullptr;
        ShutdownSound();  // empties the map; InitSound balances its COM count again
        InitSound();
    }

    // The full set of data files, less `missing` (or with it replaced by text
    // that no decoder reads, when `corrupt`), then LoadResources run inside it.
    BOOL LoadWithout(const wchar_t* missing, bool corrupt = false)
    {
        ScratchFolder folder(L"shell");
        CreateDirectoryW((folder / L"images").c_str(), nullptr);
        CreateDirectoryW((folder / L"sound").c_str(), nullptr);
        std::vector<uint32_t> pixels(16 * 16, 0xFF204080u);
        EXPECT_GE(WritePng(folder / DataFiles[0], 16, 16, pixels, false), 0);
        EXPECT_GE(WritePng(folder / DataFiles[1], 16, 16, pixels, true), 0);
        for (int i = 2; i < 8; i++)
            CopyFileW(silence.c_str(), (folder / DataFiles[i]).c_str(), FALSE);
        if (missing) {
            DeleteFileW((folder / missing).c_str());
            if (corrupt) {
                HANDLE f = CreateFileW((folder / missing).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                       nullptr);
                DWORD written;
                WriteFile(f, "not an image", 12, &written, nullptr);
                CloseHandle(f);
            }
        }
        std::wstring here = FullPath(L".");
        SetCurrentDirectoryW(folder.path().c_str());
        BOOL result = LoadResources();
        SetCurrentDirectoryW(here.c_str());
        return result;
    }

    static void ExpectOneBox(const wchar_t* text)
    {
        ASSERT_EQ(s_boxes.size(), 1u);
        EXPECT_EQ(s_boxes[0].owner, nullptr);
        EXPECT_EQ(s_boxes[0].text, text);
        EXPECT_EQ(s_boxes[0].caption, L"V2Ivo");
        EXPECT_EQ(s_boxes[0].style, static_cast<UINT>(MB_OK));
    }

    // The first `count` sounds, in file order, and nothing else.
    static void ExpectSoundsLoaded(size_t count)
    {
        EXPECT_EQ(g_soundMap.size(), count);
        for (size_t i = 0; i < count; i++)
            EXPECT_EQ(g_soundMap.count(SoundKeys[i]), 1u) << "key " << i;
    }

    std::wstring silence;
};

}  // namespace

TEST_F(LoadData, EverythingPresentLoadsBothImagesAndSixSoundsQuietly)
{
    EXPECT_TRUE(LoadWithout(nullptr));
    EXPECT_TRUE(s_boxes.empty());
    EXPECT_NE(g_backgroundImage, nullptr);
    EXPECT_NE(g_spriteImage, nullptr);
    ExpectSoundsLoaded(6);
}

TEST_F(LoadData, MissingBackgroundStopsBeforeTheSpriteAndEverySound)
{
    EXPECT_FALSE(LoadWithout(DataFiles[0]));
    ExpectOneBox(ImagesText);
    EXPECT_EQ(g_backgroundImage, nullptr);
    EXPECT_EQ(g_spriteImage, nullptr);
    ExpectSoundsLoaded(0);
}

TEST_F(LoadData, UnreadableBackgroundIsReportedLikeAMissingOne)
{
    EXPECT_FALSE(LoadWithout(DataFiles[0], true));
    ExpectOneBox(ImagesText);
    EXPECT_EQ(g_spriteImage, nullptr);
    ExpectSoundsLoaded(0);
}

TEST_F(LoadData, MissingSpriteSheetKeepsTheDecodedBackground)
{
    EXPECT_FALSE(LoadWithout(DataFiles[1]));
    ExpectOneBox(ImagesText);
    EXPECT_NE(g_backgroundImage, nullptr);
    EXPECT_EQ(g_spriteImage, nullptr);
    ExpectSoundsLoaded(0);
}

TEST_F(LoadData, EachMissingSoundKeepsTheSoundsBeforeIt)
{
    for (int i = 0; i < 6; i++) {
        SCOPED_TRACE(testing::Message() << "without sound " << i);
        EXPECT_FALSE(LoadWithout(DataFiles[2 + i]));
        ExpectOneBox(SoundsText);
        EXPECT_NE(g_backgroundImage, nullptr);
        EXPECT_NE(g_spriteImage, nullptr);
        ExpectSoundsLoaded(static_cast<size_t>(i));
        TearDown();
        SetUp();
    }
}

TEST(Bitmaps, ConvertedPixelsArePremultipliedAndAnImageWithoutAlphaIsOpaque)
{
    ASSERT_GE(CreateImagingFactory(), 0);
    OffscreenTarget off(4, 1);
    ASSERT_TRUE(off.ok());
    ScratchFolder folder(L"shell");
    // Half-transparent red, fully transparent green; then the same without alpha.
    std::vector<uint32_t> pixels = {0x80FF0000u, 0x0000FF00u};
    ASSERT_GE(WritePng(folder / L"alpha.png", 2, 1, pixels, true), 0);
    ASSERT_GE(WritePng(folder / L"opaque.png", 2, 1, pixels, false), 0);
    IWICBitmapFrameDecode *alpha = nullptr, *opaque = nullptr;
    LoadImageFrame((folder / L"alpha.png").c_str(), &alpha);
    LoadImageFrame((folder / L"opaque.png").c_str(), &opaque);

    ID2D1Bitmap *alphaSheet = nullptr, *opaqueSheet = nullptr;
    ASSERT_EQ(CreateBitmapFromWicFrame(alpha, off.target(), &alphaSheet), 0);
    ASSERT_EQ(CreateBitmapFromWicFrame(opaque, off.target(), &opaqueSheet), 0);
    D2D1_RECT_F source = D2D1::RectF(0, 0, 2, 1), left = D2D1::RectF(0, 0, 2, 1), right = D2D1::RectF(2, 0, 4, 1);
    off.target()->BeginDraw();
    off.target()->Clear(D2D1::ColorF(0, 0.0f));
    off.target()->DrawBitmap(alphaSheet, &left, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR, &source);
    off.target()->DrawBitmap(opaqueSheet, &right, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR, &source);
    ASSERT_GE(off.target()->EndDraw(), 0);

    std::vector<uint32_t> out = off.Pixels();
    EXPECT_EQ(out[0] >> 24, 0x80u);
    EXPECT_NEAR(static_cast<int>((out[0] >> 16) & 0xFF), 0x80, 1);  // red scaled by its alpha
    EXPECT_EQ(out[1], 0u);                                           // transparent stays transparent
    EXPECT_EQ(out[2], 0xFFFF0000u);
    EXPECT_EQ(out[3], 0xFF00FF00u);

    alphaSheet->Release();
    opaqueSheet->Release();
    alpha->Release();
    opaque->Release();
    ReleaseImagingFactory();
}
