// The state chunk the host keeps with its projects: round trips in both byte
// orders, every rejection, and damaged data.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/Plugin.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void reverseWordAt(Bytes& chunk, size_t offset) {
    std::swap(chunk[offset], chunk[offset + 3]);
    std::swap(chunk[offset + 1], chunk[offset + 2]);
}

std::int32_t wordAt(const Bytes& chunk, size_t offset) {
    std::int32_t word;
    std::memcpy(&word, &chunk[offset], 4);
    return word;
}

void setWordAt(Bytes& chunk, size_t offset, std::int32_t word) {
    std::memcpy(&chunk[offset], &word, 4);
}

void setFloatAt(Bytes& chunk, size_t offset, float value) {
    std::memcpy(&chunk[offset], &value, 4);
}

size_t paramOffset(int program, int param) {
    return 56 + 56 * program + 4 * param;
}

class StateChunk : public ::testing::Test {
protected:
    Bytes save() {
        void* data = nullptr;
        const VstIntPtr size = dispatch(plugin->getAeffect(), effGetChunk, 0, 0, &data);
        EXPECT_EQ(size, 368);
        auto* bytes = static_cast<std::uint8_t*>(data);
        return Bytes(bytes, bytes + size);
    }
    VstIntPtr load(Bytes chunk, VstIntPtr size = -2) {
        return dispatch(plugin->getAeffect(), effSetChunk, 0, size == -2 ? chunk.size() : size, chunk.data());
    }
    // A bank that differs from the factory in every field that matters.
    void makeDistinctBank() {
        for (int p = 0; p < 6; ++p) {
            plugin->selectProgram(p);
            char name[32];
            std::snprintf(name, sizeof(name), "Program %d", p + 1);
            plugin->renameCurrentProgram(name);
            for (VstInt32 k : {kDecay, kDamp, kTune}) plugin->setParameter(k, 0.1f * (p + 1) + 0.01f * static_cast<int>(k));
        }
        plugin->selectProgram(4);
    }

    FakeHost host;
    std::unique_ptr<Corvane> plugin = makeCorvane(host);
};

TEST_F(StateChunk, Layout) {
    makeDistinctBank();
    const Bytes chunk = save();
    EXPECT_EQ(chunk[0], 0x00);
    EXPECT_EQ(chunk[3], 0x01);  // format version 0x01000000, little-endian
    EXPECT_EQ(Bytes(chunk.begin() + 4, chunk.begin() + 8), (Bytes{0x76, 0x43, 0x72, 0x41}));
    EXPECT_EQ(wordAt(chunk, 8), 6);
    EXPECT_EQ(wordAt(chunk, 12), 4);
    for (size_t i = 16; i < 32; ++i) EXPECT_EQ(chunk[i], 0) << i;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&chunk[32 + 56 * 2])), "Program 3");
    float decay;
    std::memcpy(&decay, &chunk[paramOffset(2, kDecay)], 4);
    EXPECT_EQ(decay, 0.1f * 3 + 0.01f * static_cast<int>(kDecay));
}

TEST_F(StateChunk, RoundTripKeepsEverything) {
    makeDistinctBank();
    const Bytes saved = save();
    EXPECT_EQ(load(saved), 0);
    EXPECT_EQ(save(), saved);
    EXPECT_EQ(plugin->getCurrentProgram(), 4);

    // Into a fresh instance: the bank, the current program and its sound.
    auto other = makeCorvane(host);
    Bytes copy = saved;
    EXPECT_EQ(dispatch(other->getAeffect(), effSetChunk, 0, 368, copy.data()), 0);
    EXPECT_EQ(other->getCurrentProgram(), 4);
    for (VstInt32 k = 0; k < 8; ++k) EXPECT_EQ(other->getParameter(k), plugin->getParameter(k)) << k;
    EXPECT_EQ(other->engine().feedback(), plugin->engine().feedback());
    char name[32];
    dispatch(other->getAeffect(), effGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, "Program 5");
}

TEST_F(StateChunk, TheHostsOwnBufferMayComeBack) {
    void* data = nullptr;
    dispatch(plugin->getAeffect(), effGetChunk, 0, 0, &data);
    EXPECT_EQ(dispatch(plugin->getAeffect(), effSetChunk, 0, 368, data), 0);
}

TEST_F(StateChunk, PresetRequestsGetTheWholeBank) {
    void* bank = nullptr;
    void* preset = nullptr;
    EXPECT_EQ(dispatch(plugin->getAeffect(), effGetChunk, 0, 0, &bank), 368);
    const Bytes asBank(static_cast<std::uint8_t*>(bank), static_cast<std::uint8_t*>(bank) + 368);
    EXPECT_EQ(dispatch(plugin->getAeffect(), effGetChunk, 1, 0, &preset), 368);
    EXPECT_EQ(asBank, Bytes(static_cast<std::uint8_t*>(preset), static_cast<std::uint8_t*>(preset) + 368));
    Bytes copy = asBank;
    EXPECT_EQ(dispatch(plugin->getAeffect(), effSetChunk, 1, 368, copy.data()), 0);
}

TEST_F(StateChunk, ReversedByteOrderLoadsTheSameBank) {
    makeDistinctBank();
    const Bytes native = save();
    Bytes reversed = native;
    for (size_t offset = 0; offset < 32; offset += 4) reverseWordAt(reversed, offset);
    for (int p = 0; p < 6; ++p)
        for (int k = 0; k < 8; ++k) reverseWordAt(reversed, paramOffset(p, k));
    ASSERT_NE(reversed, native);

    auto other = makeCorvane(host);
    EXPECT_EQ(dispatch(other->getAeffect(), effSetChunk, 0, 368, reversed.data()), 0);
    void* data = nullptr;
    dispatch(other->getAeffect(), effGetChunk, 0, 0, &data);
    EXPECT_EQ(Bytes(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + 368), native);
    EXPECT_EQ(other->getCurrentProgram(), 4);
}

TEST_F(StateChunk, RejectedChunksChangeNothing) {
    makeDistinctBank();
    const Bytes before = save();
    const float decay = plugin->getParameter(kDecay);

    EXPECT_EQ(load(before, 367), -1);
    EXPECT_EQ(load(before, 369), -1);
    EXPECT_EQ(load(before, 0), -1);
    EXPECT_EQ(load(before, -368), -1);
    EXPECT_EQ(load(before, VstIntPtr{368} + (VstIntPtr{1} << 32)), -1);
    EXPECT_EQ(dispatch(plugin->getAeffect(), effSetChunk, 0, 368, nullptr), -1);

    Bytes foreign = before;
    setWordAt(foreign, 4, vstFourChars('N', 'o', 'E', 'f'));
    EXPECT_EQ(load(foreign), -1);

    Bytes fiveCounted = before;
    setWordAt(fiveCounted, 8, 5);
    EXPECT_EQ(load(fiveCounted), -1);

    Bytes otherVersion = before;
    setWordAt(otherVersion, 0, 2);
    EXPECT_EQ(load(otherVersion), 0);  // ignored without an error

    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        Bytes poisoned = before;
        setFloatAt(poisoned, paramOffset(5, kTune), bad);
        EXPECT_EQ(load(poisoned), -1);
    }

    EXPECT_EQ(save(), before);
    EXPECT_EQ(plugin->getParameter(kDecay), decay);
    EXPECT_EQ(plugin->getCurrentProgram(), 4);
}

TEST_F(StateChunk, UnknownCurrentProgramReplacesRecordsButKeepsTheSound) {
    makeDistinctBank();
    const float feedback = plugin->engine().feedback();
    const float decay = plugin->getParameter(kDecay);
    auto factory = makeCorvane(host);
    void* data = nullptr;
    dispatch(factory->getAeffect(), effGetChunk, 0, 0, &data);
    Bytes chunk(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + 368);
    for (std::int32_t current : {7, -1, 6}) {
        setWordAt(chunk, 12, current);
        EXPECT_EQ(load(chunk), 0);
        EXPECT_EQ(plugin->getCurrentProgram(), 4);
        EXPECT_EQ(plugin->getParameter(kDecay), decay);
        EXPECT_EQ(plugin->engine().feedback(), feedback);
        char name[32];
        plugin->getProgramNameIndexed(0, 0, name);
        EXPECT_STREQ(name, "Default");
    }
}

TEST_F(StateChunk, RandomBytesNeverCrash) {
    std::mt19937 random(1234);
    const Bytes good = save();
    for (int round = 0; round < 3000; ++round) {
        Bytes chunk = good;
        const int flips = 1 + static_cast<int>(random() % 16);
        for (int i = 0; i < flips; ++i) chunk[random() % chunk.size()] = static_cast<std::uint8_t>(random());
        if (round % 4 == 0)
            for (auto& byte : chunk) byte = static_cast<std::uint8_t>(random());
        const Bytes before = save();
        const VstIntPtr answer = load(chunk);
        EXPECT_TRUE(answer == 0 || answer == -1);
        if (answer == -1) {
            ASSERT_EQ(save(), before);
        }
        for (VstInt32 k = 0; k < 8; ++k) ASSERT_TRUE(std::isfinite(plugin->getParameter(k)));
        ASSERT_GE(plugin->getCurrentProgram(), 0);
        ASSERT_LT(plugin->getCurrentProgram(), 6);
    }
    // Random lengths of random bytes.
    for (int round = 0; round < 200; ++round) {
        Bytes chunk(random() % 800);
        for (auto& byte : chunk) byte = static_cast<std::uint8_t>(random());
        const VstIntPtr answer = load(chunk);
        if (chunk.size() != 368) {
            EXPECT_EQ(answer, -1);
        }
    }
}

}  // namespace
