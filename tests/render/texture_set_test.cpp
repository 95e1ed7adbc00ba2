// The texture set: the 46 pictures load in table order through the vetting
// and SOIL, a picture that fails either way leaves id 0 without moving any
// other entry, and the release deletes every texture and empties the set.
#include <string>

#include "render_test_support.h"

using namespace rendertest;

namespace {

// The 46 names in load order, as the tile codes and reward bands use them.
std::vector<std::string> expectedNames() {
    std::vector<std::string> names;
    const std::pair<char, int> groups[] = {{'a', 9}, {'b', 9}, {'c', 9}, {'d', 3},
                                           {'e', 4}, {'f', 4}, {'g', 4}};
    for (const auto& [letter, size] : groups) {
        for (int n = 0; n < size; ++n) {
            names.push_back(std::string(1, letter) + std::to_string(n));
        }
    }
    for (int n = 0; n < 4; ++n) {
        names.push_back("wench" + std::to_string(n));
    }
    return names;
}

std::string pathOf(const std::string& name) {
    return "dat/img/" + name + ".png";
}

// An empty set and a fresh recorder, as at start-up.
void resetLoading() {
    resetDrawing();
    textureSet.clear();
}

TEST(TextureNames, AreTheFortySixPicturesInLoadOrderThenTheEnd) {
    const std::vector<std::string> names = expectedNames();
    ASSERT_EQ(names.size(), static_cast<std::size_t>(kTextureCount));
    for (int k = 0; k < kTextureCount; ++k) {
        EXPECT_EQ(textureNames[k], names[k]) << "entry " << k;
    }
    EXPECT_STREQ(textureNames[kTextureCount], "");
    EXPECT_STREQ(textureNames[0], "a0");
    EXPECT_STREQ(textureNames[41], "g3");
    EXPECT_STREQ(textureNames[kFirstRewardTexture], "wench0");
}

TEST(LoadTextureSet, LoadsEveryPictureOnceInOrderThroughTheVetting) {
    resetLoading();
    loadTextureSet();
    const std::vector<std::string> names = expectedNames();
    ASSERT_EQ(glRecorder.soilPaths.size(), names.size());
    ASSERT_EQ(pictureCheck.calls.size(), names.size());
    ASSERT_EQ(textureSet.size(), names.size());
    GLuint previous = 0;
    for (std::size_t k = 0; k < names.size(); ++k) {
        EXPECT_EQ(glRecorder.soilPaths[k], pathOf(names[k]));
        EXPECT_EQ(pictureCheck.calls[k].first, pathOf(names[k]));
        // Auto channels, a new texture name, no flags.
        EXPECT_EQ(glRecorder.soilArguments[k], (std::vector<unsigned>{0u, 0u, 0u}));
        // The stand-in hands out rising names, so order is kept iff they rise.
        EXPECT_GT(textureSet[k]->id, previous) << names[k];
        previous = textureSet[k]->id;
    }
    // The terminator is never formatted: the buffer holds the last path.
    EXPECT_STREQ(textBuffer, "dat/img/wench3.png");
    // Loading leaves texturing off; the scene enables it per quad.
    EXPECT_EQ(glRecorder.enabled.count(GL_TEXTURE_2D), 0u);
}

TEST(LoadTextureSet, VettingLimitIsTheSmallerOfFourThousandAndTheGlLimit) {
    for (const auto& [glLimit, expected] : {std::pair{2048, 2048}, std::pair{16384, 4096}}) {
        resetLoading();
        glRecorder.maxTextureSize = glLimit;
        loadTextureSet();
        ASSERT_EQ(pictureCheck.calls.size(), static_cast<std::size_t>(kTextureCount));
        for (const auto& call : pictureCheck.calls) {
            EXPECT_EQ(call.second, expected) << call.first;
        }
        // Asked once, not once per picture.
        EXPECT_EQ(recordedCalls("glGetIntegerv").size(), 1u);
    }
}

TEST(LoadTextureSet, AFailedPictureLeavesZeroAndEveryOtherEntryInPlace) {
    // One picture SOIL cannot load, one the vetting refuses: neither stops
    // loading, and a refused picture never reaches SOIL.
    resetLoading();
    glRecorder.missingPictures.insert("dat/img/c4.png");
    pictureCheck.refused.insert("dat/img/wench1.png");
    loadTextureSet();
    ASSERT_EQ(textureSet.size(), static_cast<std::size_t>(kTextureCount));
    const int soilFailed = 22;  // c4
    const int refused = 43;     // wench1
    EXPECT_EQ(textureSet[soilFailed]->id, 0u);
    EXPECT_EQ(textureSet[refused]->id, 0u);
    for (int k = 0; k < kTextureCount; ++k) {
        if (k != soilFailed && k != refused) {
            EXPECT_NE(textureSet[k]->id, 0u) << textureNames[k];
        }
    }
    EXPECT_EQ(glRecorder.soilPaths.size(), static_cast<std::size_t>(kTextureCount - 1));
    for (const std::string& path : glRecorder.soilPaths) {
        EXPECT_NE(path, "dat/img/wench1.png");
    }

    // With nothing loadable the set is still complete, all zeros.
    resetLoading();
    for (const std::string& name : expectedNames()) {
        pictureCheck.refused.insert(pathOf(name));
    }
    loadTextureSet();
    ASSERT_EQ(textureSet.size(), static_cast<std::size_t>(kTextureCount));
    for (const auto& entry : textureSet) {
        EXPECT_EQ(entry->id, 0u);
    }
    EXPECT_TRUE(glRecorder.soilPaths.empty());
}

TEST(ReleaseTextureSet, DeletesEveryTextureZerosIncludedAndEmptiesTheSet) {
    resetLoading();
    glRecorder.missingPictures.insert("dat/img/a0.png");
    loadTextureSet();
    std::vector<GLuint> ids;
    for (const auto& entry : textureSet) {
        ids.push_back(entry->id);
    }
    releaseTextureSet();
    EXPECT_EQ(glRecorder.deletedTextures, ids);
    EXPECT_EQ(ids.front(), 0u);
    EXPECT_TRUE(textureSet.empty());
    EXPECT_TRUE(glRecorder.liveTextures.empty());

    // A second release has nothing left to delete.
    releaseTextureSet();
    EXPECT_EQ(glRecorder.deletedTextures.size(), ids.size());
}

}  // namespace
