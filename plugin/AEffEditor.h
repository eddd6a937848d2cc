// The editor base the effect talks to: the dispatcher's editor requests reach
// these operations. The editor window class derives from it.
#pragma once

#include "plugin/vst2.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* effect) : effect(effect) {}
    virtual ~AEffEditor() = default;
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual bool getRect(ERect** rect) {
        *rect = nullptr;
        return false;
    }
    virtual bool open(void* parentWindow) {
        systemWindow = parentWindow;
        return false;
    }
    virtual void close() { systemWindow = nullptr; }
    virtual void idle() {}
    virtual bool onKeyDown(VstKeyCode&) { return false; }
    virtual bool onKeyUp(VstKeyCode&) { return false; }
    virtual bool setKnobMode(VstInt32) { return false; }
    // Called by the effect after every parameter change, so controls follow.
    virtual void setParameter(VstInt32, float) {}

    AudioEffect* getEffect() const { return effect; }
    virtual bool isOpen() const { return systemWindow != nullptr; }

protected:
    AudioEffect* effect;
    void* systemWindow = nullptr;
};
