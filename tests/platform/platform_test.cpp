// The platform layer: where the pictures are looked for, a picture opened by a
// path outside ASCII (Windows takes such paths only as UTF-16), and an
// environment variable set for the libraries. Built for Linux and for Windows
// (run there under Wine), each checking its own system's rule.
#include "platform/platform.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

TEST(Platform, PicturesAreLookedForInTheSystemsOwnFolder) {
    const std::string& path = pictureFolder().path;
#ifdef _WIN32
    // Beside the program, whatever the working folder: an absolute path.
    const std::string tail = "\\dat\\img\\";
    ASSERT_GT(path.size(), tail.size());
    EXPECT_EQ(path.substr(path.size() - tail.size()), tail);
    EXPECT_TRUE(fs::u8path(path).is_absolute()) << path;
#else
    EXPECT_EQ(path, "dat/img/");  // the working folder's, as the launcher arranges
#endif
    EXPECT_NE(std::string(pictureFolder().advice), "");
}

TEST(Platform, OpensAPictureByAPathOutsideAscii) {
    const fs::path folder = fs::temp_directory_path() / fs::u8path(u8"kessary-Bilder-\u00e4\u732b");
    fs::create_directories(folder);
    const fs::path file = folder / fs::u8path(u8"\u00e9.png");
    std::ofstream(file, std::ios::binary) << "\x89PNG\r\n\x1a\n";  // bytes a text mode would change
    const int fd = openPictureFile(file.u8string().c_str());
    ASSERT_GE(fd, 0);
    char bytes[16] = {};
    EXPECT_EQ(read(fd, bytes, sizeof bytes), 8);
    EXPECT_EQ(std::string(bytes, 8), "\x89PNG\r\n\x1a\n");
    close(fd);
    EXPECT_EQ(openPictureFile((folder / "missing.png").u8string().c_str()), -1);
    fs::remove_all(folder);
}

TEST(Platform, EnvironmentVariableReachesTheLibraries) {
    setEnvironmentVariable("KESSARY_PLATFORM_TEST", "3");
    ASSERT_NE(std::getenv("KESSARY_PLATFORM_TEST"), nullptr);
    EXPECT_STREQ(std::getenv("KESSARY_PLATFORM_TEST"), "3");
#ifdef _WIN32
    char value[4] = {};  // SDL reads the process's copy, not the C library's
    EXPECT_EQ(GetEnvironmentVariableA("KESSARY_PLATFORM_TEST", value, sizeof value), 1u);
    EXPECT_STREQ(value, "3");
#endif
}
