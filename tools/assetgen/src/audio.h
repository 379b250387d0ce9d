// Sound synthesis and MP3 output.
#pragma once

#include <string>

namespace ag {

constexpr int kMusicTracks = 3;

// Writes bom2.mp3, SHOT.mp3 and Loc2.mp3 into `dir`.
void writeSoundEffects(const std::string& dir);
// Writes bgm01.mp3 .. bgm03.mp3 (track 0..2) into `dir`.
void writeMusic(const std::string& dir, int track);

}  // namespace ag
