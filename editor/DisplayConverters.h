// The texts of the editor's value displays. Each writes into a zero-filled
// buffer of kParamDisplayTextSize bytes, as the toolkit's display hands it.
#pragma once

#include "editor/EditorLayout.h"
#include "toolkit/CParamDisplay.h"

namespace display {

void percent(float value, char* text, void* = nullptr);   // "28%" for 0.289
void cents(float value, char* text, void* = nullptr);     // "-100c" .. "100c"
void semitone(float value, char* text, void* = nullptr);  // "b24", "0", "#1"
void decibel(float value, char* text, void* = nullptr);   // a gain of 0..4: "-oo dB", "-0.7dB", "12.0dB"

CParamDisplayValueToStringProc converterFor(layout::Converter converter);

}  // namespace display
