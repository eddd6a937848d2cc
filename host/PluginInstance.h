// One loaded VST 2.4 plug-in: the library, its effect record and the calls a
// host makes through the published interface. Closing is RAII: the effect is
// suspended and closed before its library is unloaded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vst2.h"

// What a plug-in asks of its host while it runs, mostly from its editor. The
// default answers are those of a host without a window: acknowledge quietly.
class HostListener {
public:
    virtual ~HostListener() = default;
    virtual void automate(int /*index*/, float /*value*/) {}
    virtual void beginEdit(int /*index*/) {}
    virtual void endEdit(int /*index*/) {}
    virtual void updateDisplay() {}
    // The editor asks for a new size; true when the host resized its window.
    virtual bool sizeWindow(int /*width*/, int /*height*/) { return false; }
};

class PluginInstance {
public:
    // Loads the library, calls its entry point and effOpen. Throws HostError
    // naming the file and what went wrong.
    static std::unique_ptr<PluginInstance> load(const std::string& path);

    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    const std::string& path() const { return path_; }
    const AEffect& effect() const { return *effect_; }
    int numInputs() const { return effect_->numInputs; }
    int numOutputs() const { return effect_->numOutputs; }
    bool hasFlag(VstInt32 flag) const { return (effect_->flags & flag) != 0; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    // Asks for a string into a generous zeroed buffer: plug-ins often write
    // past the nominal VST lengths. Returns "" when the plug-in answers nothing.
    std::string askString(VstInt32 opcode, VstInt32 index = 0);

    // Sample rate and block size, before resume().
    void configure(double sampleRate, int maxBlockSize);
    void resume();   // effMainsChanged 1
    void suspend();  // effMainsChanged 0
    bool running() const { return running_; }
    void processReplacing(float** inputs, float** outputs, int frames);

    // Receives the plug-in's requests from now on; null for none. The
    // listener must outlive the instance or be removed first.
    void setListener(HostListener* listener) { listener_ = listener; }
    HostListener* listener() const { return listener_; }

    float parameter(int index) const;
    void setParameter(int index, float value);

    // The plug-in's state (effGetChunk / effSetChunk, index 0); both throw
    // when the plug-in has no chunks or refuses them.
    std::vector<std::uint8_t> chunk();
    void setChunk(const std::vector<std::uint8_t>& bytes);
    // Hands `bytes` to effSetChunk whatever their size, as a state's length
    // may vary with its values. False when the plug-in answers -1 (rejected);
    // any other answer means it has taken them. Throws without chunks.
    [[nodiscard]] bool offerChunk(const std::vector<std::uint8_t>& bytes);

private:
    PluginInstance(std::string path, void* library, AEffect* effect);
    void requireChunks() const;

    std::string path_;
    void* library_ = nullptr;
    AEffect* effect_ = nullptr;
    bool running_ = false;
    HostListener* listener_ = nullptr;
};
