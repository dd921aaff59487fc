// Picture names in skin descriptions. Free of Win32 so that the tools share the rule.
#pragma once

// True when a picture named so would not lie in the skin's own folder: a whole path, a
// drive, or a climb out with "..". Such a picture does not travel with the skin.
bool LeavesSkinFolder(const char* value);
