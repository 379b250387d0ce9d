// velkarn-assetgen: produces the game's images and sounds procedurally.
//
//   velkarn-assetgen OUTDIR
//       writes OUTDIR/images/{back01,jiki1}.png and
//       OUTDIR/sound/{bgm01,bgm02,bgm03,bom2,SHOT,Loc2}.mp3
//   velkarn-assetgen --contact-sheet OUT.png ASSETDIR
//       renders an overview of the sprites and backgrounds found in
//       ASSETDIR/images for review.
//
// Output is deterministic: the same bytes on every run.
#include "audio.h"
#include "layout.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>
#include <string>

namespace ag {

bool writePng(cairo_surface_t* s, const std::string& path) {
    cairo_status_t st = cairo_surface_write_to_png(s, path.c_str());
    if (st != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "velkarn-assetgen: cannot write %s: %s\n", path.c_str(), cairo_status_to_string(st));
        return false;
    }
    return true;
}

int renderContactSheet(const std::string& out, const std::string& assetDir);

}  // namespace ag

namespace {

void usage() {
    std::fprintf(stderr,
                 "usage: velkarn-assetgen OUTDIR\n"
                 "       velkarn-assetgen --contact-sheet OUT.png ASSETDIR\n");
}

int generate(const std::string& outDir) {
    namespace fs = std::filesystem;
    const std::string images = (fs::path(outDir) / "images").string();
    const std::string sound = (fs::path(outDir) / "sound").string();
    fs::create_directories(images);
    fs::create_directories(sound);

    // Every job writes its own files from its own seeded generators, so
    // running them concurrently cannot change a single output byte.
    std::vector<std::function<bool()>> jobs = {
        [&] {
            cairo_surface_t* s = ag::renderBackgroundSheet();
            bool ok = ag::writePng(s, images + "/back01.png");
            cairo_surface_destroy(s);
            return ok;
        },
        [&] {
            cairo_surface_t* s = ag::renderSpriteSheet();
            bool ok = ag::writePng(s, images + "/jiki1.png");
            cairo_surface_destroy(s);
            return ok;
        },
        [&] {
            ag::writeSoundEffects(sound);
            return true;
        },
    };
    for (int t = 0; t < ag::kMusicTracks; ++t)
        jobs.push_back([&, t] {
            ag::writeMusic(sound, t);
            return true;
        });

    std::vector<char> ok(jobs.size(), 0);
    std::vector<std::string> errors(jobs.size());
    std::vector<std::thread> threads;
    for (size_t i = 0; i < jobs.size(); ++i)
        threads.emplace_back([&, i] {
            try {
                ok[i] = jobs[i]();
            } catch (const std::exception& e) {
                errors[i] = e.what();
            }
        });
    for (auto& t : threads) t.join();
    int rc = 0;
    for (size_t i = 0; i < jobs.size(); ++i) {
        if (!errors[i].empty()) std::fprintf(stderr, "velkarn-assetgen: %s\n", errors[i].c_str());
        if (!ok[i]) rc = 1;
    }
    return rc;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 4 && std::strcmp(argv[1], "--contact-sheet") == 0) return ag::renderContactSheet(argv[2], argv[3]);
        if (argc == 2 && argv[1][0] != '-') return generate(argv[1]);
        usage();
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velkarn-assetgen: %s\n", e.what());
        return 1;
    }
}
