#include "dock/docklog.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

void DockLog(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    fprintf(stderr, "dock: %s\n", text);
    fflush(stderr);
    OutputDebugStringA(text);
}
