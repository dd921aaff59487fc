// A stream that refuses one of its reads without moving, as a broken network share or a
// host's faulty stream does, and serves every other call from real bytes.
#pragma once

#include "host/streams.h"

#include <vector>

// The read numbered failingRead (counting from 1) fails with STG_E_READFAULT.
StreamPtr StreamFailingRead(const std::vector<BYTE>& bytes, int failingRead);
