#include "toolkit/AEffGUIEditor.h"

#include "plugin/AudioEffectX.h"
#include "toolkit/CFrame.h"

VstInt32 AEffGUIEditor::knobMode = kCircularMode;

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect) : AEffEditor(effect) {
    if (effect) effect->setEditor(this);
}

AEffGUIEditor::~AEffGUIEditor() { AEffGUIEditor::close(); }

bool AEffGUIEditor::getRect(ERect** out) {
    if (!out) return false;
    *out = &rect;
    return true;
}

bool AEffGUIEditor::open(void* parentWindow) {
    systemWindow = parentWindow;
    return true;
}

void AEffGUIEditor::close() {
    // Closed before the frame goes: its views may call the host as they go
    // (a gesture cut short ends), and a host that closes the editor again
    // from there finds it closed.
    CFrame* closing = frame;
    frame = nullptr;
    systemWindow = nullptr;
    if (closing) closing->close();
}

void AEffGUIEditor::idle() {
    if (inIdleStuff) return;
    if (frame) frame->idle();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& key) { return frame && frame->onKeyDown(key) > 0; }

bool AEffGUIEditor::onKeyUp(VstKeyCode& key) { return frame && frame->onKeyUp(key) > 0; }

bool AEffGUIEditor::onWheel(float distance) {
    if (!frame) return false;
    CPoint where;
    frame->getCurrentMouseLocation(where);
    return frame->onWheel(where, distance, 0);
}

bool AEffGUIEditor::setKnobMode(VstInt32 mode) {
    knobMode = mode;
    return true;
}

void AEffGUIEditor::beginEdit(long index) {
    if (auto* fx = dynamic_cast<AudioEffectX*>(effect)) fx->beginEdit(static_cast<VstInt32>(index));
}

void AEffGUIEditor::endEdit(long index) {
    if (auto* fx = dynamic_cast<AudioEffectX*>(effect)) fx->endEdit(static_cast<VstInt32>(index));
}

void AEffGUIEditor::doIdleStuff() {
    // Controls call this while they track the mouse: redraw, and give the
    // host its idle time without letting it call back into idle().
    if (inIdleStuff) return;
    idle();
    if (auto* fx = dynamic_cast<AudioEffectX*>(effect)) {
        inIdleStuff = true;
        fx->masterIdle();
        inIdleStuff = false;
    }
}
