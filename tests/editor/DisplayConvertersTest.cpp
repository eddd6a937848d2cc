// The texts of the value displays, at the values where truncation, rounding
// and signs are easy to get wrong.
#include <gtest/gtest.h>

#include <string>

#include "editor/DisplayConverters.h"

namespace {

std::string text(CParamDisplayValueToStringProc convert, float value) {
    char buffer[kParamDisplayTextSize] = {};
    convert(value, buffer, nullptr);
    return buffer;
}

TEST(DisplayConverters, Percent) {
    EXPECT_EQ(text(display::percent, 0.5f), "50%");
    EXPECT_EQ(text(display::percent, 0.289f), "28%");
    EXPECT_EQ(text(display::percent, 0.0f), "0%");
    EXPECT_EQ(text(display::percent, 1.0f), "100%");
}

TEST(DisplayConverters, Cents) {
    EXPECT_EQ(text(display::cents, 0.0f), "-100c");
    EXPECT_EQ(text(display::cents, 0.5f), "0c");
    EXPECT_EQ(text(display::cents, 1.0f), "100c");
    EXPECT_EQ(text(display::cents, 0.4999f), "0c") << "-0.02 is cut toward zero";
    EXPECT_EQ(text(display::cents, 0.25f), "-50c");
}

TEST(DisplayConverters, Semitone) {
    EXPECT_EQ(text(display::semitone, 0.0f), "b24");
    EXPECT_EQ(text(display::semitone, 0.5f), "0");
    EXPECT_EQ(text(display::semitone, 0.52f), "#1") << "0.52 * 48 + 0.5 = 25.46";
    EXPECT_EQ(text(display::semitone, 1.0f), "#24");
}

TEST(DisplayConverters, Decibel) {
    EXPECT_EQ(text(display::decibel, 1.0f), "0.0dB");
    EXPECT_EQ(text(display::decibel, 4.0f), "12.0dB");
    EXPECT_EQ(text(display::decibel, 0.5f), "-6.0dB");
    EXPECT_EQ(text(display::decibel, 0.9f), "-0.9dB") << "between -1 and 0 the sign stays";
    EXPECT_EQ(text(display::decibel, 0.9216f), "-0.7dB");
    EXPECT_EQ(text(display::decibel, 0.0f), "-oo dB");
    EXPECT_EQ(text(display::decibel, 1e-9f), "-oo dB");
}

}  // namespace
