// The engine tests run once as they are and once with
// --instruction-set=sse2: every engine made in that run uses its SSE2 path,
// whatever the processor has, so both paths meet every test.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "EngineTestSupport.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--instruction-set=sse2") == 0) {
            ResonatorEngine::limitInstructionSets(ResonatorEngine::InstructionSet::Sse2);
            enginetest::expectedInstructionSet = ResonatorEngine::InstructionSet::Sse2;
        } else {
            std::fprintf(stderr, "unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    return RUN_ALL_TESTS();
}
