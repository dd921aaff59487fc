#include "host/highcontrastswitch.h"

namespace {

using ParametersFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT);

// Every module's slot pointed at the same system function before it was switched.
ParametersFn systemParameters = nullptr;

BOOL WINAPI ParametersWithHighContrast(UINT action, UINT size, void* value, UINT change) {
    if (!systemParameters)
        return FALSE;
    const BOOL answered = systemParameters(action, size, value, change);
    if (answered && action == SPI_GETHIGHCONTRAST && value)
        static_cast<HIGHCONTRASTA*>(value)->dwFlags |= HCF_HIGHCONTRASTON;
    return answered;
}

} // namespace

bool CHighContrastSwitch::Install(HMODULE module) {
    if (!patch.Install(module, "user32.dll", "SystemParametersInfoA",
                       reinterpret_cast<void*>(ParametersWithHighContrast)))
        return false;
    if (!systemParameters)
        systemParameters = reinterpret_cast<ParametersFn>(patch.Original());
    return true;
}
