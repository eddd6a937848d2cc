// The resource library: every bitmap the editor names is there, is a PNG of
// the size its control expects, and nothing answers to other ids.

#include "tests/resources/ImageTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>

namespace resources::test {
namespace {

class EveryImage : public ::testing::TestWithParam<bitmap::Info> {};

TEST_P(EveryImage, IsThereAsPngBytes) {
    const bitmap::Info& expected = GetParam();
    const ImageData image = findImage(expected.id);
    ASSERT_NE(image.data, nullptr) << expected.what;
    ASSERT_GT(image.size, 8u);
    EXPECT_EQ(std::memcmp(image.data, "\x89PNG\r\n\x1a\n", 8), 0) << "not a PNG file";
}

TEST_P(EveryImage, DecodesWithTheSizeItsControlExpects) {
    const bitmap::Info& expected = GetParam();
    const Picture picture = Picture::decode(findImage(expected.id));
    ASSERT_TRUE(picture.ok()) << picture.status();
    EXPECT_EQ(picture.width(), expected.width);
    EXPECT_EQ(picture.height(), expected.height);
    EXPECT_EQ(picture.height() % expected.frames, 0);
}

TEST_P(EveryImage, IsTransparentOnlyIfMeantTo) {
    const bitmap::Info& expected = GetParam();
    const Picture picture = Picture::decode(findImage(expected.id));
    ASSERT_TRUE(picture.ok());
    if (!expected.alpha) {
        // Opaque: a PNG without alpha decodes to RGB24; one with alpha must
        // still have every pixel opaque.
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                ASSERT_EQ(picture.pixel(x, y).a, 255) << "at " << x << "," << y;
        return;
    }
    ASSERT_EQ(picture.format(), CAIRO_FORMAT_ARGB32);
    // A dot: clear corners around an opaque middle.
    const int w = picture.width(), h = picture.height();
    for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
        EXPECT_EQ(picture.pixel(x, y).a, 0) << "corner " << x << "," << y;
    EXPECT_EQ(picture.pixel(w / 2, h / 2).a, 255);
    EXPECT_GT(picture.pixel(w / 2, h / 2).luminance(), 150) << "the handle must show on the dark knob";
}

TEST_P(EveryImage, HasFramesThatDifferFromEachOther) {
    const bitmap::Info& expected = GetParam();
    const Picture picture = Picture::decode(findImage(expected.id));
    ASSERT_TRUE(picture.ok());
    const int frameHeight = picture.height() / expected.frames;
    for (int i = 0; i < expected.frames; ++i)
        for (int j = i + 1; j < expected.frames; ++j)
            EXPECT_FALSE(sameArea(picture, 0, i * frameHeight, picture, 0, j * frameHeight, picture.width(), frameHeight))
                << expected.what << ": frames " << i << " and " << j << " are the same";
}

INSTANTIATE_TEST_SUITE_P(Resources, EveryImage, ::testing::ValuesIn(bitmap::kAll),
                         [](const auto& info) { return "id" + std::to_string(info.param.id); });

TEST(FindImage, GivesNothingForAnyOtherId) {
    std::set<int> known;
    for (const bitmap::Info& e : bitmap::kAll) known.insert(e.id);
    for (int id = -100; id < 100000; ++id) {
        if (known.count(id)) continue;
        const ImageData image = findImage(id);
        ASSERT_EQ(image.data, nullptr) << "an image answers to id " << id;
        ASSERT_EQ(image.size, 0u);
    }
    for (int id : {INT_MIN, INT_MIN + 1, 1000000, INT_MAX}) {
        EXPECT_EQ(findImage(id).data, nullptr);
        EXPECT_EQ(findImage(id).size, 0u);
    }
}

TEST(FindImage, GivesTheSameBytesEveryTime) {
    for (const bitmap::Info& e : bitmap::kAll) {
        const ImageData a = findImage(e.id), b = findImage(e.id);
        EXPECT_EQ(a.data, b.data);
        EXPECT_EQ(a.size, b.size);
    }
}

TEST(FindImage, GivesEachIdItsOwnImage) {
    std::set<const unsigned char*> seen;
    for (const bitmap::Info& e : bitmap::kAll)
        EXPECT_TRUE(seen.insert(findImage(e.id).data).second) << e.id << " shares its bytes";
}

TEST(Picture, RefusesBytesThatAreNoPng) {
    const unsigned char notPng[] = "GIF89a and more";
    EXPECT_FALSE(Picture::decode(notPng, sizeof notPng).ok());
    const ImageData image = findImage(bitmap::kBackground);
    EXPECT_FALSE(Picture::decode(image.data, image.size / 2).ok()) << "a truncated PNG must not decode";
}

}  // namespace
}  // namespace resources::test
