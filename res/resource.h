// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_QUIESCOR_DARK 1001
#define IDI_QUIESCOR_GREEN 1002
#define IDI_BUTTON 1009
