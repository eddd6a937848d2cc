// Receives the changes that controls report. The editor is the one listener
// of every control in its window.
#pragma once

class CControl;

class CControlListener {
public:
    virtual ~CControlListener() = default;
    virtual void valueChanged(CControl* control) = 0;
    // A click with modifiers the control may pass on; 1 when the listener took it.
    virtual long controlModifierClicked(CControl*, long /*buttons*/) { return 0; }
    virtual void controlBeginEdit(CControl*) {}
    virtual void controlEndEdit(CControl*) {}
    virtual void controlTagWillChange(CControl*) {}
    virtual void controlTagDidChange(CControl*) {}
};
