// Real COM streams over global memory, as the host hands them to the plug-in.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <string>
#include <utility>
#include <vector>

class StreamPtr {
public:
    StreamPtr() = default;
    explicit StreamPtr(IStream* stream) : stream(stream) {}
    StreamPtr(const StreamPtr&) = delete;
    StreamPtr& operator=(const StreamPtr&) = delete;
    StreamPtr(StreamPtr&& other) noexcept : stream(other.stream) { other.stream = nullptr; }
    StreamPtr& operator=(StreamPtr&& other) noexcept {
        std::swap(stream, other.stream);
        return *this;
    }
    ~StreamPtr() {
        if (stream)
            stream->Release();
    }
    IStream* Get() const { return stream; }
    IStream* operator->() const { return stream; }

private:
    IStream* stream = nullptr;
};

// A stream holding these bytes, positioned at its start.
StreamPtr StreamWith(const std::vector<BYTE>& bytes);
// Everything the stream holds, whatever its position.
std::vector<BYTE> StreamBytes(IStream* stream);
void Rewind(IStream* stream);
// A stream on an existing file that refuses every write, as a full or locked disk does.
StreamPtr ReadOnlyStream(const std::string& path);
