// A host's settings stream whose reads and writes the fault injector may refuse.
#pragma once

#include "tests/host/failingstream.h"
#include "tests/ledger/faultinjector.h"

#include <utility>

inline StreamPtr InjectedStreamOver(StreamPtr inner) {
    return StreamRefusing(std::move(inner), [](StreamCall call) {
        return CFaultInjector::Refuses(call == StreamCall::Read ? STREAM_READ : STREAM_WRITE);
    });
}
