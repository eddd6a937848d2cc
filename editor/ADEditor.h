// The plug-in's window: the background picture with seven knobs and their
// value displays, the bypass button with its LED, the title plate that opens
// the about screen, and (from its base) the preset section.
//
// Every gesture on a knob or the bypass button becomes a parameter change of
// the effect that the host records as automation. Every parameter change that
// reaches the effect from elsewhere moves the controls: on the window's own
// thread at once, from any other thread (host automation) on the next idle,
// so that no other thread ever touches a control the window may be
// destroying.
#pragma once

#include <atomic>
#include <cstdint>

#include "editor/EditorLayout.h"
#include "presets/CPresetSystemEditor.h"

class CAbout;
class CKnob;
class CLED;
class COnOffButton;
class CParamDisplay;

class ADEditor : public CPresetSystemEditor {
public:
    explicit ADEditor(AudioEffect* effect);
    ~ADEditor() override;

    // False, with nothing left behind, when no window can be made. Open
    // already: the same parent with its window changes nothing; another
    // parent, or a window gone with its parent, gets the window made anew.
    bool open(void* parentWindow) override;
    void close() override;
    void idle() override;
    // Only notes which parameter changed; see above.
    void setParameter(VstInt32 index, float value) override;
    void valueChanged(CControl* control) override;

    // The controls while the window is open (null while closed), for tests.
    CKnob* knob(int parameter) const;
    CParamDisplay* display(int parameter) const;
    COnOffButton* bypassButton() const { return bypassButton_; }
    CLED* bypassLed() const { return bypassLed_; }
    CAbout* about() const { return about_; }

private:
    void applyParameter(VstInt32 index);
    void applyPendingParameters();
    float effectParameter(VstInt32 index) const;
    void forgetControls();

    CKnob* knobs_[layout::kNumKnobs] = {};
    CParamDisplay* displays_[layout::kNumKnobs] = {};
    COnOffButton* bypassButton_ = nullptr;
    CLED* bypassLed_ = nullptr;
    CAbout* about_ = nullptr;

    // One bit per parameter changed from another thread, applied in idle.
    std::atomic<std::uint32_t> pendingParameters_{0};
};
