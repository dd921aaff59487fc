// Why the plug-in does not use a picture or a skin, in the words a skin author needs:
// the plug-in itself falls back silently to its built-in skin.
#pragma once

#include <string>

// Empty when the PNG file loads as the plug-in loads it; else why not: no such file, a
// size beyond what the plug-in holds (against its limit), or the decoder's reason.
std::string PictureTrouble(const std::string& path);

// Empty when the plug-in would show the skin of this description file; else why it
// shows its built-in skin instead.
std::string SkinRefusal(const std::string& descriptionPath);
