// The stage script: frame order at the script's edges, the music cues, the
// texts, the pictures and the background scroll.
#include "game_fixture.h"

using StageTest = GameTest;

TEST_F(StageTest, FirstFrameStandsStillAndShowsTheOpeningPicture)
{
    Frame();
    EXPECT_EQ(g_frameCount, 1);
    EXPECT_EQ(g_stageClock, 1.0f);
    std::vector<const DrawCall*> bitmaps = rt.log.Of(CallKind::DrawBitmap);
    ASSERT_GE(bitmaps.size(), 4u);
    EXPECT_EQ(Describe(*bitmaps[0]), Describe(*bitmaps[0]));
    EXPECT_EQ(bitmaps[0]->bitmap, &background);
    EXPECT_EQ(bitmaps[0]->dest.top, -768.0f);
    EXPECT_EQ(bitmaps.back()->bitmap, &background);
    EXPECT_EQ(bitmaps.back()->source.left, 600.0f);
}
