// The demo's input: a short plucked phrase that a resonator can answer.
#pragma once

#include "AudioFile.h"

// Mono, about four seconds: a click, a rising arpeggio of plucked strings
// (Karplus-Strong), a strummed chord, a decaying sine bell and a last click
// left to ring. Always the same samples; peak at -6 dBFS.
AudioBuffer makeDemoPhrase(double sampleRate = 44100.0);
