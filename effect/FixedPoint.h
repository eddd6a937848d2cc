#pragma once

// Writes value as an optional "-", the integer digits, "." and `decimals`
// digits cut off (not rounded); with 0 decimals the point is left out.
// At most eight characters of sign, digits and point are built before the
// cut. A value above 99999999 or below -9999999 leaves `text` unwritten.
void formatFixed(float value, char* text, int decimals);
