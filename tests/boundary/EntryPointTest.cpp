// The library as a host finds it: loaded with dlopen, entered by name.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/FakeHost.h"

namespace {

class LoadedPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        library = dlopen(CORVANE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        entry = reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"));
        ASSERT_NE(entry, nullptr);
    }
    void TearDown() override {
        if (library) dlclose(library);
    }

    void* library = nullptr;
    VstPluginMainProc entry = nullptr;
    FakeHost host;
};

TEST_F(LoadedPlugin, AsksTheHostVersionTwiceBeforeTheObjectExists) {
    AEffect* effect = entry(&FakeHost::callback);
    ASSERT_NE(effect, nullptr);
    ASSERT_GE(host.calls.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(host.calls[i].opcode, audioMasterVersion);
        EXPECT_EQ(host.calls[i].effect, nullptr);
        EXPECT_EQ(host.calls[i].index, 0);
        EXPECT_EQ(host.calls[i].value, 0);
        EXPECT_EQ(host.calls[i].ptr, nullptr);
    }
    // Every later request names the record.
    for (size_t i = 2; i < host.calls.size(); ++i) EXPECT_EQ(host.calls[i].effect, effect);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
}

TEST_F(LoadedPlugin, AHostWithoutVersionGetsNothing) {
    host.versionAnswer = 0;
    EXPECT_EQ(entry(&FakeHost::callback), nullptr);
    EXPECT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(entry(nullptr), nullptr);
}

TEST_F(LoadedPlugin, RecordIsCompleteWhenReturned) {
    AEffect* effect = entry(&FakeHost::callback);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(effect->numPrograms, 1);
    EXPECT_EQ(effect->numParams, 8);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    // has-editor, can-replace and programs-are-chunks: 0x31.
    EXPECT_EQ(effect->flags, effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks);
    EXPECT_EQ(effect->flags, 0x31);
    EXPECT_EQ(effect->uniqueID, 0x41724376);
    EXPECT_EQ(effect->version, 1);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_EQ(effect->resvd1, 0);
    EXPECT_EQ(effect->resvd2, 0);
    EXPECT_EQ(effect->realQualities, 0);
    EXPECT_EQ(effect->offQualities, 0);
    EXPECT_EQ(effect->user, nullptr);
    EXPECT_NE(effect->object, nullptr);
    for (char byte : effect->future) EXPECT_EQ(byte, 0);
    EXPECT_NE(effect->dispatcher, nullptr);
    EXPECT_NE(effect->process, nullptr);
    EXPECT_NE(effect->processReplacing, nullptr);
    EXPECT_NE(effect->processDoubleReplacing, nullptr);
    EXPECT_NE(effect->setParameter, nullptr);
    EXPECT_NE(effect->getParameter, nullptr);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
}

TEST_F(LoadedPlugin, MainIsTheSameEntry) {
    auto alias = reinterpret_cast<VstPluginMainProc>(dlsym(library, "main"));
    ASSERT_NE(alias, nullptr);
    AEffect* effect = alias(&FakeHost::callback);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->uniqueID, 0x41724376);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
}

TEST_F(LoadedPlugin, InstancesAreIndependent) {
    AEffect* a = entry(&FakeHost::callback);
    AEffect* b = entry(&FakeHost::callback);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(a, b);
    a->setParameter(a, 2, 0.9f);
    EXPECT_FLOAT_EQ(a->getParameter(a, 2), 0.9f);
    EXPECT_FLOAT_EQ(b->getParameter(b, 2), 0.25f);
    EXPECT_EQ(a->dispatcher(a, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_FLOAT_EQ(b->getParameter(b, 2), 0.25f);
    EXPECT_EQ(b->dispatcher(b, effClose, 0, 0, nullptr, 0.0f), 1);
}

TEST_F(LoadedPlugin, DeprecatedAccumulatingProcessLeavesOutputsAlone) {
    AEffect* effect = entry(&FakeHost::callback);
    ASSERT_NE(effect, nullptr);
    float in[2][16] = {}, out[2][16];
    for (auto& channel : out)
        for (float& sample : channel) sample = 0.75f;
    in[0][0] = in[1][0] = 1.0f;
    float* inputs[2] = {in[0], in[1]};
    float* outputs[2] = {out[0], out[1]};
    effect->process(effect, inputs, outputs, 16);
    for (auto& channel : out)
        for (float sample : channel) EXPECT_EQ(sample, 0.75f);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
}

// Several plug-ins share one host process: nothing but the entry may leak out.
TEST(LibraryExports, OnlyTheEntryPoints) {
    std::string command = std::string("nm -D --defined-only '") + CORVANE_PLUGIN_PATH + "'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string names;
    char line[512];
    int count = 0;
    while (std::fgets(line, sizeof(line), pipe)) {
        names += line;
        ++count;
    }
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_EQ(count, 2) << names;
    EXPECT_NE(names.find(" T VSTPluginMain"), std::string::npos) << names;
    EXPECT_NE(names.find(" T main"), std::string::npos) << names;
}

}  // namespace
