#include "editor/ADEditor.h"

#include "editor/CAbout.h"
#include "editor/CLED.h"
#include "editor/DisplayConverters.h"
#include "editor/LayoutRects.h"
#include "effect/Parameters.h"
#include "plugin/AudioEffectX.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/CKnob.h"
#include "toolkit/COnOffButton.h"
#include "toolkit/CParamDisplay.h"

namespace {

using layout::cornerOf;
using layout::rectOf;

// The bypass button's and the LED's value: on exactly when the effect's
// bypass switch is (huge values saturate instead of overflowing).
float rounded(float x) { return static_cast<float>(formula::bypassSwitch(x)); }

// What the Output display shows: the gain 4·p0², the square in single
// precision and the factor 4 in double, as the engine computes it.
float outputGainShown(float p0) { return static_cast<float>(4.0 * static_cast<double>(p0 * p0)); }

int knobSlot(int parameter) {
    for (int k = 0; k < layout::kNumKnobs; ++k)
        if (layout::kKnobs[k].tag == parameter) return k;
    return -1;
}

}  // namespace

ADEditor::ADEditor(AudioEffect* effect) : CPresetSystemEditor(effect) {
    // The window's size is fixed (the background bitmap is drawn to it); it
    // never depends on a bitmap being found.
    rect.top = 0;
    rect.left = 0;
    rect.bottom = layout::kWindowHeight;
    rect.right = layout::kWindowWidth;
}

ADEditor::~ADEditor() {
    // The window goes first, while every part of the editor still exists: a
    // control released mid-gesture calls back into it.
    if (frame) close();
}

CKnob* ADEditor::knob(int parameter) const {
    const int slot = knobSlot(parameter);
    return slot < 0 ? nullptr : knobs_[slot];
}

CParamDisplay* ADEditor::display(int parameter) const {
    const int slot = knobSlot(parameter);
    return slot < 0 ? nullptr : displays_[slot];
}

float ADEditor::effectParameter(VstInt32 index) const { return effect ? effect->getParameter(index) : 0.0f; }

bool ADEditor::open(void* parentWindow) {
    if (frame) {
        // Open in that parent with its window still there: nothing to do.
        // Another parent, or a window gone with its parent: a new window.
        if (parentWindow == systemWindow && frame->hasPlatformWindow()) return true;
        close();
    }
    AEffGUIEditor::open(parentWindow);
    takeWindowThread();
    // Changes from now on are read back from the effect below or in idle.
    pendingParameters_.store(0, std::memory_order_relaxed);

    CBitmap* background = new CBitmap(bitmap::kBackground);
    frame = new CFrame(CRect(rect.left, rect.top, rect.right, rect.bottom), parentWindow, this);
    if (!frame->hasPlatformWindow()) {
        // No display, or the host's window is not one: no window, no success.
        background->forget();
        frame->close();
        frame = nullptr;
        systemWindow = nullptr;
        return false;
    }
    frame->setBackground(background);
    setKnobMode(kLinearMode);

    CBitmap* largeHandle = new CBitmap(bitmap::kLargeHandle);
    CBitmap* smallHandle = new CBitmap(bitmap::kSmallHandle);
    for (int k = 0; k < layout::kNumKnobs; ++k) {
        const layout::Knob& spec = layout::kKnobs[k];
        auto* knob = new CKnob(rectOf(spec.rect), this, spec.tag, background, spec.large ? largeHandle : smallHandle,
                               cornerOf(spec.rect));
        knob->setValue(effectParameter(spec.tag));
        knob->setDefaultValue(spec.defaultValue);
        frame->addView(knob);
        knobs_[k] = knob;

        auto* shown = new CParamDisplay(rectOf(spec.display), background, 0);
        shown->setBackOffset(cornerOf(spec.display));
        shown->setHoriAlign(kCenterText);
        shown->setFont(CFontDesc{"Arial", 9, kNormalFace});
        shown->setFontColor(kBlackCColor);
        if (spec.converter == layout::Converter::decibel) {
            shown->setMax(20.0f);  // room for the largest gain, 4
            shown->setValue(outputGainShown(effectParameter(spec.tag)));
        } else {
            shown->setValue(effectParameter(spec.tag));
        }
        shown->setValueToStringProc(display::converterFor(spec.converter));
        frame->addView(shown);
        displays_[k] = shown;
    }
    largeHandle->forget();
    smallHandle->forget();

    CBitmap* buttonBitmap = new CBitmap(bitmap::kBypassButton);
    bypassButton_ = new COnOffButton(rectOf(layout::kBypassButton), this, layout::kBypassTag, buttonBitmap, 0);
    bypassButton_->setValue(rounded(effectParameter(layout::kBypassTag)));
    frame->addView(bypassButton_);
    buttonBitmap->forget();

    CBitmap* aboutBitmap = new CBitmap(bitmap::kAboutScreen);
    about_ = new CAbout(rectOf(layout::kAboutArea), this, layout::kAboutTag, aboutBitmap, rectOf(layout::kAboutScreen),
                        CPoint(0, 0), cornerOf(layout::kAboutVersion));
    frame->addView(about_);
    aboutBitmap->forget();

    CBitmap* ledBitmap = new CBitmap(bitmap::kBypassLed);
    bypassLed_ = new CLED(rectOf(layout::kBypassLed), ledBitmap);
    bypassLed_->setValue(rounded(effectParameter(layout::kBypassTag)));
    frame->addView(bypassLed_);
    ledBitmap->forget();

    background->forget();
    const bool opened = CPresetSystemEditor::open(parentWindow);
    // The whole picture reaches the window now: a host may idle late.
    if (frame) frame->updateDirtyViews();
    return opened;
}

void ADEditor::forgetControls() {
    for (int k = 0; k < layout::kNumKnobs; ++k) {
        knobs_[k] = nullptr;
        displays_[k] = nullptr;
    }
    bypassButton_ = nullptr;
    bypassLed_ = nullptr;
    about_ = nullptr;
}

void ADEditor::close() {
    CPresetSystemEditor::close();
    forgetControls();
    AEffGUIEditor::close();
}

void ADEditor::idle() {
    if (!frame || inIdleStuff) return;
    applyPendingParameters();
    CPresetSystemEditor::idle();
}

void ADEditor::setParameter(VstInt32 index, float) {
    if (index < 0 || index >= kNumParameters) return;
    if (onWindowThread()) {
        applyParameter(index);  // does nothing while the window is closed
        return;
    }
    pendingParameters_.fetch_or(1u << index, std::memory_order_release);
}

void ADEditor::applyPendingParameters() {
    std::uint32_t pending = pendingParameters_.exchange(0, std::memory_order_acquire);
    for (VstInt32 index = 0; pending != 0; ++index, pending >>= 1)
        if (pending & 1u) applyParameter(index);
}

void ADEditor::applyParameter(VstInt32 index) {
    if (!frame) return;
    if (index == layout::kBypassTag) {
        const float on = rounded(effectParameter(index));
        if (bypassButton_) bypassButton_->setValue(on);
        if (bypassLed_) bypassLed_->setValue(on);
        return;
    }
    const int slot = knobSlot(index);
    if (slot < 0) return;
    if (knobs_[slot]) knobs_[slot]->setValue(effectParameter(index));
    if (displays_[slot]) {
        const float value = effectParameter(index);
        displays_[slot]->setValue(layout::kKnobs[slot].converter == layout::Converter::decibel ? outputGainShown(value)
                                                                                              : value);
    }
}

void ADEditor::valueChanged(CControl* control) {
    if (!control) return;
    // Read first: the preset section's command may make the host close the
    // window, and the control is not touched after that.
    const long tag = control->getTag();
    const float value = control->getValue();
    CPresetSystemEditor::valueChanged(control);
    if (tag >= 0 && tag < kNumParameters) {
        if (auto* fx = dynamic_cast<AudioEffectX*>(effect))
            fx->setParameterAutomated(static_cast<VstInt32>(tag), value);
    } else if (tag >= 8 && tag <= 10) {
        if (effect) effect->setParameter(static_cast<VstInt32>(tag), value);
    }
}
