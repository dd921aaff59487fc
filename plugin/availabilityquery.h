// What Windows says of each action now, for the plug-in to offer only what can work.
#pragma once

#include "api/actionavailability.h"

// Asks Windows now: policies, the shutdown privilege and the power capabilities. Never
// kept between presses, since a hibernation file or a policy may come and go.
CActionAvailability QueryActionAvailability();
// True when another user has a session on this computer that turning it off would end.
bool OtherUsersSignedIn();
