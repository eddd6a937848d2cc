#include "effect/Corvane.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "editor/ADEditor.h"
#include "plugin/Trace.h"

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
    if (!audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    try {
        return new Corvane(audioMaster);
    } catch (...) {
        return nullptr;  // whatever was built is released already
    }
}

Corvane::Corvane(audioMasterCallback audioMaster) : CPresetSystemEffect(audioMaster) {
    setNumInputs(2);
    setNumOutputs(2);
    canProcessReplacing(true);
    setUniqueID(kUniqueID);
    setInitialDelay(0);
    // The engine starts with no transposition, tuning or detune, bypass off,
    // Output stored as 0, and its twelve lines allocated.
    engine_.setSampleRate(getSampleRate());

    // The editor object exists from here on (it attaches itself to the
    // effect); its window only between the host's open and close requests.
    new ADEditor(this);
    installFactoryPrograms();
    // The user's stored default bank, then default preset, replace them.
    loadUserDefaults();
    selectProgram(0);
    suspend();
    resume();
    suspend();
}

Corvane::~Corvane() {
    // A host may close the plug-in with its window still open: the window
    // goes while the whole effect still exists for the controls it holds.
    if (editor && editor->isOpen()) editor->close();
}

void Corvane::setParameter(VstInt32 index, float value) {
    trace("Corvane::setParameter", index, value);
    // A NaN or infinity would poison the strings and the host's mix for good.
    if (!std::isfinite(value)) return;
    if (isParameterIndex(index)) values_[index].store(value, std::memory_order_relaxed);

    applyToEngine(engine_, index, value, values_[kDecay].load(std::memory_order_relaxed));

    // Output, Mix and Bypass are shared by all programs.
    if (index == kOutput || index == kMix || index == kBypass) {
        ProgramRecord* bank = getPrograms();
        for (int p = 0; p < kNumPrograms; ++p) bank[p].setParam(index, value);
    }
    if (!isApplyingProgram()) CPresetSystemEffect::setParameter(index, value);
    if (editor) editor->setParameter(index, value);
}

float Corvane::getParameter(VstInt32 index) {
    return isParameterIndex(index) ? values_[index].load(std::memory_order_relaxed) : 0.0f;
}

void Corvane::getParameterName(VstInt32 index, char* text) {
    std::strcpy(text, isParameterIndex(index) ? kParameterTable[index].name : kUnknownParameterText);
}

void Corvane::getParameterLabel(VstInt32 index, char* text) {
    std::strcpy(text, isParameterIndex(index) ? kParameterTable[index].label : kUnknownParameterText);
}

void Corvane::getParameterDisplay(VstInt32 index, char* text) {
    formatParameterDisplay(index, getParameter(index), text);
}

bool Corvane::getParameterProperties(VstInt32 index, VstParameterProperties* properties) {
    if (index != kBypass) return false;
    properties->flags = kVstParameterIsSwitch | kVstParameterUsesFloatStep;
    properties->stepFloat = 1.0f;
    properties->smallStepFloat = 1.0f;
    properties->largeStepFloat = 1.0f;
    std::snprintf(properties->label, sizeof(properties->label), "%s", kParameterTable[kBypass].name);
    // The short label holds the first seven characters: " Bypass".
    std::memcpy(properties->shortLabel, kParameterTable[kBypass].name, sizeof(properties->shortLabel) - 1);
    properties->shortLabel[sizeof(properties->shortLabel) - 1] = 0;
    return true;
}

void Corvane::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (sampleFrames <= 0 || !inputs || !outputs || !inputs[0] || !outputs[0]) return;
    // A right channel that is missing, unconnected or not wanted falls back
    // to the left input, or to one output carrying both sides.
    const float* left = inputs[0];
    const float* right =
        isInputConnected(1) && inputs[1] && stereoInput_.load(std::memory_order_relaxed) ? inputs[1] : left;
    float* outRight =
        isOutputConnected(1) && outputs[1] && stereoOutput_.load(std::memory_order_relaxed) ? outputs[1] : nullptr;
    engine_.process(left, right, outputs[0], outRight, sampleFrames);
}

void Corvane::suspend() {
    trace("Corvane::suspend");
    engine_.reset();
}

void Corvane::resume() {
    trace("Corvane::resume");
    engine_.reset();
}

void Corvane::setSampleRate(float rate) {
    trace("Corvane::setSampleRate", rate);
    // A rate that is not a positive number would leave the strings without pitch.
    if (!std::isfinite(rate) || rate <= 0.0f) return;
    CPresetSystemEffect::setSampleRate(rate);
    engine_.setSampleRate(rate);
}

bool Corvane::getEffectName(char* name) {
    std::strcpy(name, kEffectName);
    return true;
}

bool Corvane::getVendorString(char* text) {
    std::strcpy(text, kVendorName);
    return true;
}

bool Corvane::getProductString(char* text) {
    std::strcpy(text, kProductName);
    return true;
}

namespace {
bool describePin(VstInt32 index, VstPinProperties* properties, const char* direction) {
    if (index < 0 || index >= 2) return false;
    std::snprintf(properties->label, sizeof(properties->label), "Arlo Corvane %1d %s", index + 1, direction);
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}
}  // namespace

bool Corvane::getInputProperties(VstInt32 index, VstPinProperties* properties) {
    return describePin(index, properties, "In");
}

bool Corvane::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    return describePin(index, properties, "Out");
}

bool Corvane::setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output) {
    const VstInt32 ins = input ? input->numChannels : 0;
    const VstInt32 outs = output ? output->numChannels : 0;
    const bool supported = (outs == 2 && (ins == 1 || ins == 2)) || (ins == 1 && outs == 1);
    // Anything else keeps full stereo handling.
    stereoInput_.store(!supported || ins == 2, std::memory_order_relaxed);
    stereoOutput_.store(!supported || outs == 2, std::memory_order_relaxed);
    return supported;
}
