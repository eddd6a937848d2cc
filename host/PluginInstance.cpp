#include "PluginInstance.h"

#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#include "HostError.h"
#include "Text.h"

namespace {

// Limits past which a record is taken as garbage rather than trusted for
// buffer sizes.
constexpr int kMaxChannels = 64;
constexpr int kMaxParameters = 100000;
constexpr VstIntPtr kMaxChunkBytes = VstIntPtr{256} << 20;
constexpr std::size_t kStringBufferBytes = 512;

// The instance behind a record: kept in the record's field reserved for the
// host. Null during the entry point, before the instance exists.
PluginInstance* instanceOf(AEffect* effect) {
    return effect ? reinterpret_cast<PluginInstance*>(effect->resvd1) : nullptr;
}

// What the plug-in may ask of its host. Requests about editing go to the
// instance's listener; a batch host has no transport, so the rest is
// acknowledged quietly.
VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                       float opt) {
    PluginInstance* instance = instanceOf(effect);
    HostListener* listener = instance ? instance->listener() : nullptr;
    switch (opcode) {
        case audioMasterVersion:
            return kVstVersion;
        case audioMasterCurrentId:
            return effect ? effect->uniqueID : 0;
        case audioMasterPinConnected:
            return 0;  // 0 means "connected" here, by old convention
        case audioMasterCanDo:
            return listener && ptr && std::strcmp(static_cast<const char*>(ptr), "sizeWindow") == 0 ? 1 : 0;
        default:
            break;
    }
    if (!listener) return 0;
    switch (opcode) {
        case audioMasterAutomate:
            listener->automate(index, opt);
            return 0;
        case audioMasterBeginEdit:
            listener->beginEdit(index);
            return 1;
        case audioMasterEndEdit:
            listener->endEdit(index);
            return 1;
        case audioMasterUpdateDisplay:
            listener->updateDisplay();
            return 1;
        case audioMasterSizeWindow:
            return listener->sizeWindow(index, static_cast<int>(value)) ? 1 : 0;
        case audioMasterIdle:  // the host idles its editors on its own clock
        default:
            return 0;
    }
}

std::string dlerrorText(const std::string& path) {
    const char* raw = dlerror();
    std::string message = raw ? raw : "unknown error";
    // dlerror() starts with the path; the caller names the file already.
    if (message.rfind(path + ": ", 0) == 0) message.erase(0, path.size() + 2);
    return message;
}

std::string inQuotes(const std::string& path) { return "'" + path + "'"; }

}  // namespace

std::unique_ptr<PluginInstance> PluginInstance::load(const std::string& path) {
    const std::string where = "cannot load " + inQuotes(path) + ": ";
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) throw HostError(where + "no such file");
    if (std::filesystem::is_directory(path, ec)) throw HostError(where + "it is a folder");

    // A bare file name would make dlopen search the library path instead.
    const std::string absolute = std::filesystem::absolute(path, ec).string();
    void* library = dlopen(absolute.c_str(), RTLD_LOCAL | RTLD_NOW);
    if (!library) throw HostError(where + dlerrorText(absolute));

    auto fail = [&](const std::string& why) {
        dlclose(library);
        return HostError(where + why);
    };

    void* entry = dlsym(library, "VSTPluginMain");
    if (!entry) entry = dlsym(library, "main");
    if (!entry) throw fail("no VST entry point (neither VSTPluginMain nor main)");

    auto entryPoint = reinterpret_cast<VstPluginMainProc>(entry);
    AEffect* effect = entryPoint(&hostCallback);
    if (!effect) throw fail("the plug-in's entry point returned no effect");
    if (effect->magic != kEffectMagic)
        throw fail("not a VST 2.4 effect (magic " + text::fourChars(effect->magic) + ")");
    if (!effect->dispatcher) throw fail("the effect has no dispatcher");
    if (effect->numInputs < 0 || effect->numInputs > kMaxChannels || effect->numOutputs < 0 ||
        effect->numOutputs > kMaxChannels)
        throw fail("implausible channel counts (" + std::to_string(effect->numInputs) + " in, " +
                   std::to_string(effect->numOutputs) + " out)");
    if (effect->numParams < 0 || effect->numParams > kMaxParameters || effect->numPrograms < 0 ||
        effect->numPrograms > kMaxParameters)
        throw fail("implausible parameter or program count");

    std::unique_ptr<PluginInstance> instance(new PluginInstance(path, library, effect));
    instance->dispatch(effOpen);
    return instance;
}

PluginInstance::PluginInstance(std::string path, void* library, AEffect* effect)
    : path_(std::move(path)), library_(library), effect_(effect) {
    effect_->resvd1 = reinterpret_cast<VstIntPtr>(this);
}

PluginInstance::~PluginInstance() {
    if (running_) suspend();
    dispatch(effClose);  // the plug-in frees its record here
    effect_ = nullptr;
    dlclose(library_);
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string PluginInstance::askString(VstInt32 opcode, VstInt32 index) {
    char buffer[kStringBufferBytes] = {};
    dispatch(opcode, index, 0, buffer);
    buffer[kStringBufferBytes - 1] = '\0';
    return std::string(buffer);
}

void PluginInstance::configure(double sampleRate, int maxBlockSize) {
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, maxBlockSize);
}

void PluginInstance::resume() {
    if (!effect_->processReplacing)
        throw HostError(inQuotes(path_) + " cannot process audio: it has no processReplacing");
    dispatch(effMainsChanged, 0, 1);
    running_ = true;
}

void PluginInstance::suspend() {
    dispatch(effMainsChanged, 0, 0);
    running_ = false;
}

void PluginInstance::processReplacing(float** inputs, float** outputs, int frames) {
    effect_->processReplacing(effect_, inputs, outputs, frames);
}

float PluginInstance::parameter(int index) const {
    return effect_->getParameter ? effect_->getParameter(effect_, index) : 0.0f;
}

void PluginInstance::setParameter(int index, float value) {
    if (effect_->setParameter) effect_->setParameter(effect_, index, value);
}

void PluginInstance::requireChunks() const {
    if (!hasFlag(effFlagsProgramChunks))
        throw HostError(inQuotes(path_) + " does not save its state as a chunk (no effFlagsProgramChunks)");
}

std::vector<std::uint8_t> PluginInstance::chunk() {
    requireChunks();
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || !data) throw HostError(inQuotes(path_) + " gave no state chunk");
    if (size > kMaxChunkBytes)
        throw HostError(inQuotes(path_) + " gave an implausibly large state chunk (" +
                        std::to_string(size) + " bytes)");
    // The pointer is the plug-in's own buffer, valid only until its next call.
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

bool PluginInstance::offerChunk(const std::vector<std::uint8_t>& bytes) {
    requireChunks();
    // The plug-in gets its own copy to read; ours stays untouched.
    std::vector<std::uint8_t> copy = bytes;
    return dispatch(effSetChunk, 0, static_cast<VstIntPtr>(copy.size()), copy.data()) != -1;
}

void PluginInstance::setChunk(const std::vector<std::uint8_t>& bytes) {
    if (!offerChunk(bytes)) throw HostError(inQuotes(path_) + " rejected the state");
}
