// assets_test.cpp: the generated data files as the game loads them: the two
// PNG sheets through WIC (sizes, sprite cells, transparency, seamless
// background tiles) and the MP3s through DirectShow (they render, and last
// about as long as intended). Runs from bin/ beside images/ and sound/.
#include <windows.h>
#include <dshow.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

class ComEnvironment : public testing::Environment {
public:
    void SetUp() override { ASSERT_GE(CoInitialize(NULL), 0); }
    void TearDown() override { CoUninitialize(); }
};
testing::Environment* const s_comEnvironment = testing::AddGlobalTestEnvironment(new ComEnvironment);

template <class T>
struct Com {
    T* p = nullptr;
    ~Com() { if (p) p->Release(); }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

// Premultiplied BGRA pixels of a decoded image.
struct Image {
    UINT width = 0, height = 0;
    std::vector<uint8_t> px;
    const uint8_t* at(UINT x, UINT y) const { return &px[(size_t(y) * width + x) * 4]; }
    uint8_t alpha(UINT x, UINT y) const { return at(x, y)[3]; }
};

Image Decode(const wchar_t* path)
{
    Image img;
    Com<IWICImagingFactory> factory;
    Com<IWICBitmapDecoder> decoder;
    Com<IWICBitmapFrameDecode> frame;
    Com<IWICFormatConverter> converter;
    EXPECT_GE(CoCreateInstance(CLSID_WICImagingFactory, NULL, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                               reinterpret_cast<void**>(&factory)), 0);
    if (!factory.p) return img;
    HRESULT hr = factory->CreateDecoderFromFilename(path, NULL, GENERIC_READ, WICDecodeMetadataCacheOnLoad, &decoder);
    EXPECT_GE(hr, 0) << "cannot open " << std::string(path, path + wcslen(path));
    if (hr < 0) return img;
    EXPECT_GE(decoder->GetFrame(0, &frame), 0);
    EXPECT_GE(factory->CreateFormatConverter(&converter), 0);
    EXPECT_GE(converter->Initialize(frame.p, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, NULL, 0,
                                    WICBitmapPaletteTypeCustom), 0);
    converter->GetSize(&img.width, &img.height);
    img.px.resize(size_t(img.width) * img.height * 4);
    EXPECT_GE(converter->CopyPixels(NULL, img.width * 4, UINT(img.px.size()), img.px.data()), 0);
    return img;
}

struct Cell {
    const char* name;
    UINT l, t, r, b;
    bool solid;  // false: translucent HUD graphic
};

const Cell kSprites[] = {
    {"PlayerShip", 0, 0, 50, 100, true},        {"Fighter", 50, 0, 110, 60, true},
    {"Option", 110, 30, 160, 100, true},        {"DebrisLarge", 110, 0, 140, 30, true},
    {"DebrisMedium", 62, 84, 78, 100, true},    {"DebrisSmall", 94, 84, 110, 100, true},
    {"LockOnMarker", 200, 0, 270, 70, true},    {"Cruiser1", 0, 100, 300, 400, true},
    {"Cruiser2", 300, 100, 600, 400, true},     {"Cruiser3", 600, 100, 900, 400, true},
    {"Battleship1", 0, 400, 400, 1200, true},   {"Battleship2", 400, 400, 800, 1200, true},
    {"Battleship3", 800, 400, 1200, 1200, true}, {"Battleship4", 0, 1200, 400, 2000, true},
    {"Battleship5", 400, 1200, 800, 2000, true}, {"Battleship6", 800, 1200, 1200, 2000, true},
    {"Battleship7", 0, 2000, 400, 2800, true},  {"Battleship8", 400, 2000, 800, 2800, true},
    {"Battleship9", 800, 2000, 1200, 2800, true}, {"Battleship10", 0, 2800, 400, 3600, true},
    {"Sight", 1200, 0, 1600, 300, false},       {"LockOnOverlay", 1200, 300, 1600, 600, false},
};

TEST(SpriteSheet, CellsHoldTheSpritesAndNothingElseIsDrawn)
{
    Image img = Decode(L"images\\jiki1.png");
    ASSERT_EQ(img.width, 1600u);
    ASSERT_EQ(img.height, 3600u);
    std::vector<char> inCell(size_t(img.width) * img.height, 0);
    for (const Cell& c : kSprites) {
        size_t opaque = 0, visible = 0;
        UINT minX = c.r, maxX = c.l, minY = c.b, maxY = c.t;
        for (UINT y = c.t; y < c.b; ++y)
            for (UINT x = c.l; x < c.r; ++x) {
                inCell[size_t(y) * img.width + x] = 1;
                uint8_t a = img.alpha(x, y);
                opaque += a == 255;
                if (a) {
                    ++visible;
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y);
                }
            }
        size_t area = size_t(c.r - c.l) * (c.b - c.t);
        if (c.solid) {
            EXPECT_GE(opaque, area / 40) << c.name << ": too few opaque pixels";
            // The sprite fills its cell reasonably in both directions.
            EXPECT_GE(maxX - minX + 1, (c.r - c.l) * 6 / 10) << c.name;
            EXPECT_GE(maxY - minY + 1, (c.b - c.t) * 6 / 10) << c.name;
        } else {
            EXPECT_GT(visible, area / 100) << c.name << ": nothing drawn";
        }
    }
    size_t stray = 0;
    for (UINT y = 0; y < img.height; ++y)
        for (UINT x = 0; x < img.width; ++x)
            if (!inCell[size_t(y) * img.width + x] && img.alpha(x, y) != 0) ++stray;
    EXPECT_EQ(stray, 0u) << "pixels drawn outside every sprite cell";
}

// Mean absolute difference of two rows of `w` pixels, over all four channels.
double RowDiff(const Image& img, UINT x0, UINT w, UINT y0, UINT y1)
{
    double sum = 0;
    for (UINT x = x0; x < x0 + w; ++x)
        for (int k = 0; k < 4; ++k) sum += std::abs(int(img.at(x, y0)[k]) - int(img.at(x, y1)[k]));
    return sum / w;
}

TEST(BackgroundSheet, LayersAreTwoIdenticalSeamlessTilesAndThePictureIsOpaque)
{
    Image img = Decode(L"images\\back01.png");
    ASSERT_EQ(img.width, 1800u);
    ASSERT_EQ(img.height, 3072u);
    const UINT tile = 768, layerW = 600;
    struct Layer {
        const char* name;
        UINT top;
        bool opaque;
    } layers[] = {{"FarLayer", 0, true}, {"NearLayer", 1536, false}};
    for (const Layer& layer : layers) {
        SCOPED_TRACE(layer.name);
        size_t mismatched = 0, transparent = 0, visible = 0;
        for (UINT y = 0; y < tile; ++y)
            for (UINT x = 0; x < layerW; ++x) {
                const uint8_t* a = img.at(x, layer.top + y);
                mismatched += !std::equal(a, a + 4, img.at(x, layer.top + tile + y));
                transparent += a[3] == 0;
                visible += a[3] != 0;
            }
        EXPECT_EQ(mismatched, 0u) << "the two 768-high halves differ";
        if (layer.opaque) {
            EXPECT_EQ(transparent, 0u);
        } else {
            // Mostly see-through, with something drawn on it.
            EXPECT_GT(transparent, size_t(layerW) * tile / 2);
            EXPECT_GT(visible, size_t(layerW) * tile / 50);
        }
        // The tile's last row must lead into its first like any two adjacent rows.
        std::vector<double> diffs;
        for (UINT y = 0; y + 1 < tile; ++y) diffs.push_back(RowDiff(img, 0, layerW, layer.top + y, layer.top + y + 1));
        std::nth_element(diffs.begin(), diffs.begin() + diffs.size() / 2, diffs.end());
        double typical = diffs[diffs.size() / 2];
        double seam = RowDiff(img, 0, layerW, layer.top + tile - 1, layer.top);
        EXPECT_LE(seam, 3 * typical + 1.0) << "seam " << seam << " vs typical " << typical;
    }
    size_t pictureTransparent = 0, restVisible = 0;
    for (UINT y = 0; y < 3072; ++y)
        for (UINT x = 600; x < 1800; ++x) {
            if (y < 768) pictureTransparent += img.alpha(x, y) != 255;
            else restVisible += img.alpha(x, y) != 0;
        }
    EXPECT_EQ(pictureTransparent, 0u) << "StagePicture must be opaque";
    EXPECT_EQ(restVisible, 0u) << "unused part of the sheet must be transparent";
}

struct SoundCase {
    const wchar_t* file;
    double seconds, tolerance;
};

TEST(Sounds, EveryMp3RendersAndHasItsIntendedLength)
{
    const SoundCase cases[] = {
        {L"sound\\bgm01.mp3", 83.0, 1.0}, {L"sound\\bgm02.mp3", 83.0, 1.0}, {L"sound\\bgm03.mp3", 83.0, 1.0},
        {L"sound\\bom2.mp3", 1.2, 0.1},   {L"sound\\SHOT.mp3", 0.2, 0.05},  {L"sound\\Loc2.mp3", 0.1, 0.03},
    };
    for (const SoundCase& c : cases) {
        std::string name(c.file, c.file + wcslen(c.file));
        SCOPED_TRACE(name);
        Com<IGraphBuilder> graph;
        ASSERT_GE(CoCreateInstance(CLSID_FilterGraph, NULL, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                   reinterpret_cast<void**>(&graph)), 0);
        HRESULT hr = graph->RenderFile(c.file, NULL);
        EXPECT_GE(hr, 0) << std::hex << hr;
        if (hr < 0) continue;
        Com<IMediaSeeking> seeking;
        ASSERT_GE(graph->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&seeking)), 0);
        LONGLONG duration = 0;
        ASSERT_GE(seeking->GetDuration(&duration), 0);
        EXPECT_NEAR(duration / 1e7, c.seconds, c.tolerance);
    }
}

}  // namespace
