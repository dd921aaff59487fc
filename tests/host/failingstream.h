// A stream over another that refuses the reads and writes it is told to refuse, as a
// broken network share, a full or locked disk or a host's faulty stream does: the call
// fails and the stream does not move. Every other call is the inner stream's.
#pragma once

#include "host/streams.h"

#include <functional>
#include <vector>

enum class StreamCall { Read, Write };
using StreamRefusal = std::function<bool(StreamCall)>;

StreamPtr StreamRefusing(StreamPtr inner, StreamRefusal refuses);
// These bytes, whose read numbered failingRead (counting from 1) fails.
StreamPtr StreamFailingRead(const std::vector<BYTE>& bytes, int failingRead);
