// kessary_pictures: draws the game's 46 pictures with cairo and writes them
// with libpng.
//
//   kessary_pictures [FOLDER]           writes a0.png .. g3.png and wench0.png ..
//                                       wench3.png into FOLDER (default dat/img)
//   kessary_pictures --sheets [FOLDER]  writes the contact sheets pictures.png and
//                                       pictures-in-game.png into FOLDER (default docs)
//   kessary_pictures --icons [FOLDER]   writes the application icons kessary-48.png ..
//                                       kessary-256.png into FOLDER (default dist/icons)
//
// Run from the repository root. The folder is created if it is missing. The
// output depends only on this program and the cairo, libpng and zlib it runs
// on: the same build writes byte-identical files every time. Exit status 0
// when every file was written, 1 when one could not be, 2 for unknown
// arguments.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "picture_kit.h"

namespace {

constexpr int kExitWriteFailed = 1;
constexpr int kExitUsage = 2;

enum class Job { kPictures, kSheets, kIcons };
const char* const kDefaultFolders[] = {"dat/img", "docs", "dist/icons"};  // by Job

cairo_surface_t* drawPicture(int index) {
    return index < kTileFaceCount ? drawTileFace(index) : drawRewardPicture(index - kTileFaceCount);
}

bool writePictures(cairo_surface_t* const pictures[kPictureCount], const std::string& folder) {
    for (int k = 0; k < kPictureCount; ++k) {
        if (!writePng(pictures[k], folder + "/" + kPictureNames[k] + ".png")) {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Job job = Job::kPictures;
    std::string folder;
    for (int k = 1; k < argc; ++k) {
        std::string arg = argv[k];
        if (arg == "--sheets" && job == Job::kPictures) {
            job = Job::kSheets;
        } else if (arg == "--icons" && job == Job::kPictures) {
            job = Job::kIcons;
        } else if (folder.empty() && !arg.empty() && arg[0] != '-') {
            folder = arg;
        } else {
            std::fprintf(stderr, "usage: kessary_pictures [--sheets | --icons] [FOLDER]\n");
            return kExitUsage;
        }
    }
    if (folder.empty()) {
        folder = kDefaultFolders[int(job)];
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);  // a failure shows when writing
    if (job == Job::kIcons) {
        return writeAppIcons(folder) ? 0 : kExitWriteFailed;
    }
    bool sheets = job == Job::kSheets;

    cairo_surface_t* pictures[kPictureCount];
    for (int k = 0; k < kPictureCount; ++k) {
        pictures[k] = drawPicture(k);
    }
    bool written = sheets ? writeContactSheets(pictures, folder) : writePictures(pictures, folder);
    for (cairo_surface_t* picture : pictures) {
        cairo_surface_destroy(picture);
    }
    return written ? 0 : kExitWriteFailed;
}
