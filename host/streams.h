// Real COM streams over global memory, as the host hands them to the plug-in.
#pragma once

#include "base/owners.h"

#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

using StreamPtr = ComPtr<IStream>;

// A stream holding these bytes, positioned at its start.
StreamPtr StreamWith(const std::vector<BYTE>& bytes);
// Everything the stream holds, whatever its position.
std::vector<BYTE> StreamBytes(IStream* stream);
void Rewind(IStream* stream);
// A stream on an existing file that refuses every write, as a full or locked disk does.
StreamPtr ReadOnlyStream(const std::string& path);
