// The string-resonator effect as the host sees it: parameters, processing,
// lifecycle, names, pins and speaker arrangements.
#pragma once

#include <atomic>

#include "effect/Parameters.h"
#include "effect/ResonatorEngine.h"
#include "effect/Version.h"
#include "presets/CPresetSystemEffect.h"

class Corvane : public CPresetSystemEffect {
public:
    static constexpr VstInt32 kUniqueID = vstFourChars('A', 'r', 'C', 'v');
    static constexpr VstInt32 kVendorVersion = version::kVendorVersion;
    static constexpr const char* kEffectName = "Arlo Corvane";
    static constexpr const char* kVendorName = "Arlocraft";
    static constexpr const char* kProductName = "Arlo Corvane - string rezonator plug-in";

    explicit Corvane(audioMasterCallback audioMaster);
    ~Corvane() override;

    // Parameters.
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void getParameterName(VstInt32 index, char* text) override;
    void getParameterLabel(VstInt32 index, char* text) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    bool getParameterProperties(VstInt32 index, VstParameterProperties* properties) override;
    bool canParameterBeAutomated(VstInt32) override { return true; }

    // Audio.
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void suspend() override;
    void resume() override;
    void setSampleRate(float rate) override;

    // What the effect tells about itself.
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override { return kVendorVersion; }
    VstInt32 getVstVersion() override { return kVstVersion; }
    VstInt32 getPlugCategory() override { return kPlugCategRoomFx; }
    bool getInputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output) override;

    void installFactoryPrograms() override;

    const ResonatorEngine& engine() const { return engine_; }
    bool stereoInput() const { return stereoInput_.load(std::memory_order_relaxed); }
    bool stereoOutput() const { return stereoOutput_.load(std::memory_order_relaxed); }

private:
    ResonatorEngine engine_;
    std::atomic<float> values_[kNumParameters] = {};
    std::atomic<bool> stereoInput_{true};
    std::atomic<bool> stereoOutput_{true};
};
