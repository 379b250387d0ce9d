// images.cpp: the imaging factory, the decoding of the two image files, the turning of
// a decoded image into a device bitmap, and the loading of every data file at start-up.
#include "shell.h"

#include "sound.h"

IWICImagingFactory* g_wicFactory;
IWICBitmapFrameDecode* g_backgroundImage;
IWICBitmapFrameDecode* g_spriteImage;

MessageBoxFn g_showMessageBox = MessageBoxW;

// Initialises COM once more for the main thread (ReleaseImagingFactory balances it)
// and creates the run's one imaging factory.
HRESULT CreateImagingFactory()
{
    // Not tested: WinMain has initialised COM on this thread already, so this call
    // only counts one more initialisation for the teardown to balance.
    CoInitialize(NULL);
    return CoCreateInstance(CLSID_WICImagingFactory2, NULL, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                            reinterpret_cast<void**>(&g_wicFactory));
}

// Called only after a successful CreateImagingFactory, so the factory exists.
void ReleaseImagingFactory()
{
    g_wicFactory->Release();
    CoUninitialize();
}

// Stores frame 0 of the file in *frame, or throws the integer -1. The frame stays
// usable after its decoder is gone; the caller owns its one reference.
void LoadImageFrame(const wchar_t* fileName, IWICBitmapFrameDecode** frame)
{
    IWICBitmapDecoder* decorder = NULL;
    if (g_wicFactory->CreateDecoderFromFilename(fileName, NULL, GENERIC_READ, WICDecodeMetadataCacheOnLoad,
                                                &decorder) < 0)
        throw -1;
    HRESULT hr = decorder->GetFrame(0, frame);
    decorder->Release();
    if (hr < 0)
        throw -1;
}

// Converts the source to premultiplied 32-bit BGRA and copies it into a bitmap of
// the render target. The converter lives only for this call; the bitmap is a copy.
HRESULT CreateBitmapFromWicFrame(IWICBitmapSource* source, ID2D1RenderTarget* rt, ID2D1Bitmap** bitmap)
{
    IWICFormatConverter* converter = NULL;
    HRESULT hr = g_wicFactory->CreateFormatConverter(&converter);
    if (hr >= 0)
        hr = converter->Initialize(source, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, NULL, 0.0,
                                   WICBitmapPaletteTypeMedianCut);
    if (hr >= 0)
        hr = rt->CreateBitmapFromWicBitmap(converter, NULL, bitmap);
    if (converter != NULL)
        converter->Release();
    return hr >= 0 ? 0 : hr;
}

namespace {

struct SoundFile {
    const wchar_t* file;
    const wchar_t* key;
};

constexpr int SoundFileCount = 6;
const SoundFile s_soundFiles[SoundFileCount] = {
    {L"sound\\bgm01.mp3", L"bgm001"},  // stage music, first part
    {L"sound\\bgm02.mp3", L"bgm002"},  // stage music, second part
    {L"sound\\bgm03.mp3", L"bgm003"},  // stage music, third part
    {L"sound\\bom2.mp3", L"hit"},      // a strike or a destruction
    {L"sound\\SHOT.mp3", L"pow"},      // a shot
    {L"sound\\Loc2.mp3", L"loc"},      // a lock-on
};

void ShowLoadError(const wchar_t* text)
{
    // Not tested: the box only informs; start-up ends whatever the user does.
    g_showMessageBox(NULL, text, L"V2Ivo", MB_OK);
}

}  // namespace

// Loads the two images, then the six sounds, in that order. The first failure of
// each group shows that group's box and ends the loading; whatever was loaded
// before stays, since the program ends at once anyway.
BOOL LoadResources()
{
    try {
        LoadImageFrame(L"images\\back01.png", &g_backgroundImage);
        LoadImageFrame(L"images\\jiki1.png", &g_spriteImage);
    } catch (...) {
        ShowLoadError(L"画像ファイルが開けません");
        return FALSE;
    }
    try {
        for (int i = 0; i < SoundFileCount; i++)
            LoadSound(s_soundFiles[i].file, s_soundFiles[i].key);
    } catch (...) {
        ShowLoadError(L"サウンドファイルが開けません");
        return FALSE;
    }
    return TRUE;
}
