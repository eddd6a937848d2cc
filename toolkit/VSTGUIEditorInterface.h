// What a frame's controls ask of the editor that owns the frame: the start
// and end of a gesture on a parameter, the knob mode, and idle time while a
// control tracks the mouse.
#pragma once

enum CKnobMode { kCircularMode = 0, kRelativCircularMode = 1, kLinearMode = 2 };

class VSTGUIEditorInterface {
public:
    virtual ~VSTGUIEditorInterface() = default;
    virtual void beginEdit(long /*index*/) {}
    virtual void endEdit(long /*index*/) {}
    virtual long getKnobMode() const { return kCircularMode; }
    virtual void doIdleStuff() {}
};
