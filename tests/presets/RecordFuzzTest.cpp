// The two record readers and the settings store's reader fed random,
// damaged and truncated input (in buffers of exactly the input's size, so
// that AddressSanitizer sees any read past it): what they accept is whole
// and in range, what they refuse changes nothing.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "presets/PresetRecord.h"
#include "presets/SettingsStore.h"
#include "tests/presets/PresetTestSupport.h"

namespace {

constexpr std::int32_t kId = Corvane::kUniqueID;

enum class Damage { none, truncated, badValue, foreignOwner, otherKind, enlarged, count };

struct Sample {
    Bytes bytes;
    bool acceptable;
};

float randomValue(std::mt19937& random) {
    switch (random() % 4) {
    case 0: return 0.0f;
    case 1: return 1.0f;
    default: return std::uniform_real_distribution<float>(0.0f, 1.0f)(random);
    }
}

float badValue(std::mt19937& random) {
    const float bad[] = {NAN, INFINITY, -INFINITY, -1e-30f, 1.0000001f, 3.0e38f, -0.5f};
    return bad[random() % std::size(bad)];
}

// A record this system could have written (either byte order), then
// perhaps damaged in one way whose outcome is known.
Sample makeSample(std::mt19937& random, std::uint8_t kind, int programs) {
    const bool bigEndian = random() % 2;
    Bytes bytes(4);
    std::int32_t owner = bigEndian ? __builtin_bswap32(kId) : kId;
    std::memcpy(bytes.data(), &owner, 4);
    bytes.push_back(kind);
    for (int p = 0; p < programs; ++p) {
        const size_t length = random() % 25;  // 24: no terminator
        for (size_t i = 0; i < 24; ++i) bytes.push_back(i < length ? static_cast<std::uint8_t>(1 + random() % 255) : 0);
        for (int k = 0; k < 8; ++k) {
            std::uint32_t bits;
            const float value = randomValue(random);
            std::memcpy(&bits, &value, 4);
            if (bigEndian) bits = __builtin_bswap32(bits);
            for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<std::uint8_t>(bits >> (8 * b)));
        }
    }
    const auto damage = static_cast<Damage>(random() % static_cast<int>(Damage::count));
    switch (damage) {
    case Damage::none: break;
    case Damage::truncated: bytes.resize(random() % bytes.size()); break;
    case Damage::badValue: {
        const size_t at = 5 + 56 * (random() % programs) + 24 + 4 * (random() % 8);
        std::uint32_t bits;
        const float value = badValue(random);
        std::memcpy(&bits, &value, 4);
        if (bigEndian) bits = __builtin_bswap32(bits);
        std::memcpy(&bytes[at], &bits, 4);
        break;
    }
    case Damage::foreignOwner: bytes[random() % 4] ^= static_cast<std::uint8_t>(1 + random() % 255); break;
    case Damage::otherKind: bytes[4] = kind == 0x21 ? 0x37 : 0x21; break;
    case Damage::enlarged: bytes.resize(bytes.size() + 1 + random() % 64, static_cast<std::uint8_t>(random())); break;
    default: break;
    }
    return {bytes, damage == Damage::none || damage == Damage::enlarged};
}

bool wholeAndInRange(const ProgramRecord* programs, int count) {
    for (int p = 0; p < count; ++p)
        for (float value : programs[p].params)
            if (!(value >= 0.0f && value <= 1.0f)) return false;
    return true;
}

// Reads with both readers, also with the byte order turned round, from a
// buffer of exactly the sample's size.
void checkReaders(const Bytes& input, bool acceptable, std::uint8_t kind) {
    const std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[input.size() + (input.empty() ? 1 : 0)]);
    std::copy(input.begin(), input.end(), exact.get());
    for (bool reversed : {false, true}) {
        ProgramRecord out[6];
        std::memset(out, 0xA5, sizeof(out));
        const bool presetTaken = presetrecord::readPreset(exact.get(), input.size(), kId, reversed, out[0]);
        const bool bankTaken = presetrecord::readBank(exact.get(), input.size(), kId, reversed, out);
        ASSERT_FALSE(presetTaken && bankTaken);
        const bool taken = kind == 0x21 ? presetTaken : bankTaken;
        if (!reversed) {
            ASSERT_EQ(taken, acceptable);
        }
        if (presetTaken || bankTaken) {
            ASSERT_TRUE(wholeAndInRange(out, bankTaken ? 6 : 1));
            ASSERT_EQ(0, std::memcmp(out[0].name, &input[5], 24));
        } else {
            const Bytes untouched(sizeof(out), 0xA5);
            ASSERT_EQ(0, std::memcmp(out, untouched.data(), sizeof(out))) << "a refused record wrote something";
        }
    }
}

TEST(RecordFuzz, ReadersTakeWholeRecordsOnly) {
    std::mt19937 random(20240611);
    for (int n = 0; n < 20000; ++n) {
        const bool bank = random() % 2;
        const Sample sample = makeSample(random, bank ? 0x37 : 0x21, bank ? 6 : 1);
        checkReaders(sample.bytes, sample.acceptable, bank ? 0x37 : 0x21);
        if (HasFatalFailure()) FAIL() << "sample " << n;
    }
}

TEST(RecordFuzz, ReadersSurviveNoise) {
    std::mt19937 random(77);
    for (int n = 0; n < 20000; ++n) {
        Bytes noise(random() % 400);
        for (std::uint8_t& byte : noise) byte = static_cast<std::uint8_t>(random());
        // Half of them with a header that passes, so the values are read.
        if (noise.size() >= 5 && random() % 2) {
            std::memcpy(noise.data(), &kId, 4);
            noise[4] = random() % 2 ? 0x21 : 0x37;
        }
        const std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[noise.size() + 1]);
        std::copy(noise.begin(), noise.end(), exact.get());
        ProgramRecord out[6];
        if (presetrecord::readPreset(exact.get(), noise.size(), kId, random() % 2, out[0])) {
            ASSERT_TRUE(wholeAndInRange(out, 1)) << n;
        }
        if (presetrecord::readBank(exact.get(), noise.size(), kId, random() % 2, out)) {
            ASSERT_TRUE(wholeAndInRange(out, 6)) << n;
        }
    }
}

// New instances reading values written at random into the store.
TEST(RecordFuzz, StoreReaderTakesOnlyWholeValues) {
    TestSettings settings;
    FakeHost host;
    std::filesystem::create_directories(settings.value(""));
    std::mt19937 random(4242);
    for (int n = 0; n < 300; ++n) {
        const Sample bank = makeSample(random, 0x37, 6);
        const Sample preset = makeSample(random, 0x21, 1);
        writeBytes(settings.value("DefaultBank"), bank.bytes);
        writeBytes(settings.value("DefaultPreset"), preset.bytes);
        writeBytes(settings.value("MemoA"), preset.bytes);
        std::string folder(random() % 2 ? random() % 64 : PATH_MAX - 2 + random() % 4, 'f');
        for (char& c : folder) c = static_cast<char>(random() % 4 ? 'a' + random() % 26 : random());
        writeBytes(settings.value("CurrDir"), Bytes(folder.begin(), folder.end()));

        auto plugin = makeCorvane(host);
        const bool bankTaken = bank.acceptable && bank.bytes.size() == 341;
        const bool presetTaken = preset.acceptable && preset.bytes.size() == 61;
        ASSERT_TRUE(wholeAndInRange(plugin->getPrograms(), 6)) << n;
        ASSERT_EQ(plugin->getCurrentProgram(), 0);
        if (bankTaken) {
            ASSERT_EQ(0, std::memcmp(plugin->getPrograms()[1].name, &bank.bytes[5 + 56], 24)) << n;
        } else {
            ASSERT_EQ(programName(*plugin, 1), "Bright") << n;
        }
        if (presetTaken) {
            ASSERT_EQ(0, std::memcmp(plugin->getPrograms()[0].name, &preset.bytes[5], 24)) << n;
        }
        ASSERT_EQ(plugin->presetLibrary().recallMemo(MemoSlot::A), presetTaken) << n;
        const bool folderKept = folder.size() < PATH_MAX && folder.find('\0') == std::string::npos;
        ASSERT_EQ(plugin->presetLibrary().currentFolder(), folderKept ? folder : "") << n;
    }
}

}  // namespace
