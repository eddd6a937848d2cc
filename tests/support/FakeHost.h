// A host for tests: records every request the plug-in makes and answers the
// version and pin queries as configured. One fake host is active at a time.
#pragma once

#include <vector>

#include "plugin/vst2.h"

struct HostCall {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

class FakeHost {
public:
    FakeHost() { active() = this; }
    ~FakeHost() { active() = nullptr; }
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    VstIntPtr versionAnswer = 2400;
    VstIntPtr pinAnswer = 0;  // 0 means connected
    std::vector<HostCall> calls;

    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt) {
        FakeHost* host = active();
        if (!host) return 0;
        host->calls.push_back({effect, opcode, index, value, ptr, opt});
        switch (opcode) {
        case audioMasterVersion: return host->versionAnswer;
        case audioMasterPinConnected: return host->pinAnswer;
        default: return 0;
        }
    }

    int count(VstInt32 opcode) const {
        int n = 0;
        for (const HostCall& call : calls) n += call.opcode == opcode;
        return n;
    }

private:
    static FakeHost*& active() {
        static FakeHost* host = nullptr;
        return host;
    }
};
