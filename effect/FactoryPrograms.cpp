#include "effect/FactoryPrograms.h"

#include "effect/Corvane.h"

void Corvane::installFactoryPrograms() {
    ProgramRecord* bank = getPrograms();
    if (!bank) return;
    for (int p = 0; p < kNumPrograms; ++p) {
        bank[p].setName(kFactoryPrograms[p].name);
        for (int k = 0; k < kNumParameters; ++k) bank[p].setParam(k, kFactoryPrograms[p].values[k]);
    }
}
