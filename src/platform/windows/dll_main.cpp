// The DLL entry point: process notifications go to the driver's attach and detach steps.
#include "platform/library_entry.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            return ProcessAttach(instance);
        case DLL_PROCESS_DETACH:
            return ProcessDetach();
        default:
            return TRUE;
    }
}
