#include "presets/CPresetSystemEditor.h"

#include <cstring>
#include <string>
#include <system_error>

#include "editor/CArKickButton.h"
#include "editor/CArRockerSwitch.h"
#include "editor/CSaveLoadButton.h"
#include "editor/LayoutRects.h"
#include "effect/SafeConvert.h"
#include "presets/PresetLibrary.h"
#include "presets/PresetRecord.h"
#include "presets/SettingsStore.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/CNewFileSelector.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/CTextEdit.h"

namespace {

constexpr std::size_t kNameLength = ProgramRecord::kNameLength;  // 24, no terminator when full
constexpr CColor kNameInk{36, 36, 32, 255};
constexpr CColor kNameBack{189, 207, 218, 255};
constexpr long kProgramsPerColumn = 16;

using layout::cornerOf;
using layout::rectOf;

// Frames of the strip's buttons: three stacked vertically.
int frameHeight(CBitmap* bitmap) { return static_cast<int>(bitmap->getHeight() / 3); }

// A store that did not happen must not look like one that did.
void reportFailedStore(CFrame* frame, const char* what, const FileOutcome& outcome) {
    if (outcome.ok()) return;
    const std::string text = std::string("The ") + what + " could not be stored in\n" + settingsstore::folder() +
                             "\n\n" + std::error_code(outcome.error, std::generic_category()).message() +
                             ".\nWhat was stored before was left as it was.";
    CNewFileSelector::showNotice(frame, "Arlo Corvane", text.c_str());
}

}  // namespace

CPresetSystemEditor::CPresetSystemEditor(AudioEffect* effect) : AEffGUIEditor(effect) {
    if (presetEffect()) dialogs_ = std::make_unique<PresetFileDialogs>(presetEffect()->presetLibrary());
}

CPresetSystemEditor::~CPresetSystemEditor() = default;

CPresetSystemEffect* CPresetSystemEditor::presetEffect() const {
    return dynamic_cast<CPresetSystemEffect*>(effect);
}

void CPresetSystemEditor::takeWindowThread() {
    windowThread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
}

bool CPresetSystemEditor::onWindowThread() const {
    return windowThread_.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

bool CPresetSystemEditor::open(void*) {
    CPresetSystemEffect* fx = presetEffect();
    if (!frame || !fx) return false;
    programsPending_.store(false, std::memory_order_relaxed);  // everything is read below
    const ProgramRecord* programs = fx->getPrograms();
    const VstInt32 current = fx->getCurrentProgram();
    CBitmap* background = frame->getBackground();

    nameField_ = new CTextEdit(rectOf(layout::kNameField), this, layout::kNameFieldTag, nullptr, background, 0);
    nameField_->setBackOffset(cornerOf(layout::kNameField));
    nameField_->setMaxLength(kNameLength);
    char name[kNameLength + 1];
    programs[current].copyName(name);
    nameField_->setText(name, kNameLength);
    nameField_->setFont(CFontDesc{"Arial", layout::kNameFontSize, kNormalFace});
    nameField_->setHoriAlign(kCenterText);
    nameField_->setFontColor(kNameInk);
    nameField_->setFrameColor(kNameInk);
    nameField_->setBackColor(kNameBack);
    frame->addView(nameField_);

    // No text or look of its own (the picture shows its symbol), a tick at
    // the current program, the list over the control.
    programMenu_ = new COptionMenu(rectOf(layout::kProgramMenu), this, layout::kProgramMenuTag, background, nullptr,
                                   kPopupStyle | kCheckStyle | kNoDrawStyle);
    programMenu_->setBackOffset(cornerOf(layout::kProgramMenu));
    programMenu_->setNbItemsPerColumn(kProgramsPerColumn);
    for (int p = 0; p < CPresetSystemEffect::kNumPrograms; ++p) {
        programs[p].copyName(name);
        programMenu_->addEntry(name, kNameLength);
    }
    programMenu_->setCurrent(current);
    frame->addView(programMenu_);

    CBitmap* steps = new CBitmap(bitmap::kStepSwitch);
    stepSwitch_ = new CArRockerSwitch(rectOf(layout::kStepSwitch), this, layout::kStepSwitchTag,
                                      static_cast<int>(steps->getHeight() / 5), steps, CPoint(0, 0), kHorizontal);
    frame->addView(stepSwitch_);
    steps->forget();

    for (const layout::StripButton& spec : layout::kStripButtons) {
        CBitmap* picture = new CBitmap(spec.bitmap);
        CControl* button = nullptr;
        if (spec.kind == layout::StripButtonKind::saveLoad)
            button = new CSaveLoadButton(rectOf(spec.rect), this, spec.tag, frameHeight(picture), picture, CPoint(0, 0));
        else
            button = new CArKickButton(rectOf(spec.rect), this, spec.tag, frameHeight(picture), picture, CPoint(0, 0),
                                       spec.kind == layout::StripButtonKind::doubleClickKick);
        frame->addView(button);
        picture->forget();
    }
    return true;
}

void CPresetSystemEditor::close() {
    if (dialogs_) dialogs_->close();
    nameField_ = nullptr;
    programMenu_ = nullptr;
    stepSwitch_ = nullptr;
}

void CPresetSystemEditor::idle() {
    if (frame && !inIdleStuff && programsPending_.exchange(false, std::memory_order_acquire)) showPrograms();
    // Another preset or bank: the whole window is redrawn, unless the host
    // closed it as it was told of the new sound.
    if (frame && dialogs_ && !inIdleStuff && dialogs_->poll() == PresetFileDialogs::Result::loaded && frame)
        frame->setDirty();
    AEffGUIEditor::idle();
}

void CPresetSystemEditor::selectShown(VstInt32 program, const char* title) {
    CPresetSystemEffect* fx = presetEffect();
    if (programMenu_) programMenu_->setCurrent(program);
    if (nameField_) nameField_->setText(title, kNameLength);
    fx->selectProgram(program);
    fx->renameCurrentProgram(title);
}

void CPresetSystemEditor::stepProgram(float direction) {
    CPresetSystemEffect* fx = presetEffect();
    VstInt32 program = fx->getCurrentProgram();
    if (direction > 0)
        program = program + 1 < CPresetSystemEffect::kNumPrograms ? program + 1 : CPresetSystemEffect::kNumPrograms - 1;
    else if (direction < 0)
        program = program > 0 ? program - 1 : 0;
    else
        return;
    // The name is copied first: renaming the program to its own name reads it.
    char name[kNameLength + 1];
    fx->getPrograms()[program].copyName(name);
    selectShown(program, name);
}

void CPresetSystemEditor::startFileCommand(PresetFileDialogs::Command command, bool reversed) {
    // While a dialog is open, further file commands are ignored.
    if (dialogs_ && frame) dialogs_->open(command, reversed, frame);
}

void CPresetSystemEditor::valueChanged(CControl* control) {
    CPresetSystemEffect* fx = presetEffect();
    if (!fx || !control) return;
    PresetLibrary& library = fx->presetLibrary();
    const float value = control->getValue();
    using Command = PresetFileDialogs::Command;
    switch (control->getTag()) {
    case layout::kNameFieldTag:
        if (auto* field = dynamic_cast<CTextEdit*>(control)) {
            char name[kNameLength + 1] = {};
            std::strncpy(name, field->getText(), kNameLength);
            renameProgram(name);
        }
        break;
    case layout::kStepSwitchTag: stepProgram(value); break;
    case layout::kProgramMenuTag: {
        const VstInt32 program = truncToInt32(static_cast<double>(value) + 0.5);
        if (program < 0 || program >= CPresetSystemEffect::kNumPrograms || !programMenu_) break;
        char title[kNameLength + 1] = {};
        if (const char* entry = programMenu_->getEntry(program)) std::strncpy(title, entry, kNameLength);
        selectShown(program, title);
        break;
    }
    case layout::kLoadBankTag: startFileCommand(Command::loadBank, value == 0.5f); break;
    case layout::kSaveBankTag: startFileCommand(Command::saveBank, false); break;
    case layout::kLoadPresetTag: startFileCommand(Command::loadPreset, value == 0.5f); break;
    case layout::kSavePresetTag: startFileCommand(Command::savePreset, false); break;
    case layout::kDefaultBankTag:
        if (value < 0.75f)
            library.clearDefaultBank();
        else
            reportFailedStore(frame, "default bank", library.storeDefaultBank());
        break;
    case layout::kDefaultPresetTag:
        if (value < 0.75f)
            library.clearDefaultPreset();
        else
            reportFailedStore(frame, "default preset", library.storeDefaultPreset());
        break;
    case layout::kStoreMemoATag: reportFailedStore(frame, "memo A", library.storeMemo(MemoSlot::A)); break;
    case layout::kStoreMemoBTag: reportFailedStore(frame, "memo B", library.storeMemo(MemoSlot::B)); break;
    case layout::kRecallMemoATag: library.recallMemo(MemoSlot::A); break;
    case layout::kRecallMemoBTag: library.recallMemo(MemoSlot::B); break;
    default: break;
    }
}

void CPresetSystemEditor::showProgramName(const char* name) {
    if (!onWindowThread()) {
        programsPending_.store(true, std::memory_order_release);
        return;
    }
    if (nameField_) nameField_->setText(name, kNameLength);
    if (programMenu_ && presetEffect()) programMenu_->setEntry(presetEffect()->getCurrentProgram(), name, kNameLength);
}

void CPresetSystemEditor::showBank() {
    if (onWindowThread()) showPrograms();
    else programsPending_.store(true, std::memory_order_release);
}

void CPresetSystemEditor::showPrograms() {
    CPresetSystemEffect* fx = presetEffect();
    if (!fx) return;
    const ProgramRecord* programs = fx->getPrograms();
    char name[kNameLength + 1];
    if (programMenu_) {
        for (int p = 0; p < CPresetSystemEffect::kNumPrograms; ++p) {
            programs[p].copyName(name);
            programMenu_->setEntry(p, name, kNameLength);
        }
        programMenu_->setCurrent(fx->getCurrentProgram());
    }
    programs[fx->getCurrentProgram()].copyName(name);
    if (nameField_) nameField_->setText(name, kNameLength);
}

void CPresetSystemEditor::loadStoredSettings() {
    if (CPresetSystemEffect* fx = presetEffect()) fx->presetLibrary().loadStoredSettings();
}

void CPresetSystemEditor::importBank(const std::uint8_t* record, bool reversed) {
    if (CPresetSystemEffect* fx = presetEffect()) fx->presetLibrary().importBank(record, presetrecord::kBankSize, reversed);
}

void CPresetSystemEditor::exportBank(std::uint8_t* record) {
    if (CPresetSystemEffect* fx = presetEffect()) fx->presetLibrary().exportBank(record);
}

void CPresetSystemEditor::importPreset(const std::uint8_t* record, bool reversed) {
    if (CPresetSystemEffect* fx = presetEffect())
        fx->presetLibrary().importPreset(record, presetrecord::kPresetSize, reversed);
}

void CPresetSystemEditor::exportPreset(std::uint8_t* record) {
    if (CPresetSystemEffect* fx = presetEffect()) fx->presetLibrary().exportPreset(record);
}

void CPresetSystemEditor::renameProgram(const char* name) {
    if (CPresetSystemEffect* fx = presetEffect()) fx->presetLibrary().renameProgram(name);
}
