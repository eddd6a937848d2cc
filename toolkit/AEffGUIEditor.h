// The VST 2.4 editor built on this toolkit: it owns the frame while the
// window is open, passes the host's idle, key and knob-mode requests to it,
// and turns the controls' gestures into the effect's begin/end-edit requests.
#pragma once

#include "plugin/AEffEditor.h"
#include "toolkit/VSTGUIEditorInterface.h"

class CFrame;
struct CPoint;

class AEffGUIEditor : public AEffEditor, public VSTGUIEditorInterface {
public:
    explicit AEffGUIEditor(AudioEffect* effect);
    ~AEffGUIEditor() override;

    bool getRect(ERect** rect) override;
    bool open(void* parentWindow) override;
    void close() override;
    bool isOpen() const override { return frame != nullptr; }
    void idle() override;
    bool onKeyDown(VstKeyCode& key) override;
    bool onKeyUp(VstKeyCode& key) override;
    // The wheel at the current mouse position; false when nothing took it.
    virtual bool onWheel(float distance);
    bool setKnobMode(VstInt32 mode) override;

    void beginEdit(long index) override;
    void endEdit(long index) override;
    long getKnobMode() const override { return knobMode; }
    void doIdleStuff() override;

    CFrame* getFrame() const { return frame; }

    // Shared by every editor of the process, as hosts set it for all.
    static VstInt32 knobMode;

protected:
    ERect rect{0, 0, 0, 0};
    CFrame* frame = nullptr;
    bool inIdleStuff = false;
};
