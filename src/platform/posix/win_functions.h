// The Win32 calls the driver makes, implemented for POSIX in this folder with the semantics the
// driver relies on. Each file here implements one family.
#pragma once

#include "platform/posix/win_types.h"

// Private heaps (heap.cpp). A heap knows its live blocks, so HeapDestroy frees them all.
HANDLE HeapCreate(DWORD options, SIZE_T initialSize, SIZE_T maximumSize);
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block);
BOOL HeapDestroy(HANDLE heap);

// Debugger output (debug_output.cpp): standard error when QLNU_DEBUG_OUTPUT is set, and the
// test hook below in any case.
void OutputDebugStringA(LPCSTR text);

// Modules and run-time loading (modules.cpp). LoadLibraryA maps a Windows file name to the
// shared-object name the platform's loader searches for: "NAME.DLL" becomes "libname.so".
// GetModuleFileNameA names the process only (a null module), as the driver asks it to. The
// driver hands these calls only modules and names it has.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
HMODULE LoadLibraryA(LPCSTR fileName);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);

// Processors, events and threads (threads.cpp). Handles are waitable: an event until it is
// signalled, a thread until it ends. Events are auto-reset and start unsignalled, the only kind
// the driver makes: each SetEvent lets exactly one wait through. Handles must be ones these
// calls made, as the driver's always are.
void GetSystemInfo(SYSTEM_INFO* info);
HANDLE CreateEventA(void* attributes, BOOL manualReset, BOOL initialState, LPCSTR name);
BOOL SetEvent(HANDLE event);
HANDLE CreateThread(void* attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId);
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL CloseHandle(HANDLE handle);
void Sleep(DWORD milliseconds);
// The hint for a thread that spins on a value another thread will change.
inline void YieldProcessor() {
    __builtin_ia32_pause();
}
// Milliseconds on a clock that only moves forward; wraps around after 49.7 days.
DWORD GetTickCount();

// Resources (resources.cpp): strings come from the driver's compiled-in string table, which no
// other module has, and MultiByteToWideChar widens whole ASCII strings (its count is taken as
// -1), as the driver's are, cut to the field.
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferSize);
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount,
                        LPWSTR wide, int wideCount);

// The registry under HKEY_CLASSES_ROOT (registry.cpp), held in memory for the life of the
// process. Key and value names ignore case, values keep their type and exact bytes, a read into
// too small a buffer fails with ERROR_MORE_DATA, and a handle allows only what its access mask
// grants: KEY_QUERY_VALUE to read, KEY_SET_VALUE to write. (The driver creates keys below the
// root or below levels it opened for writing, which Windows lets it do, so no right is checked
// for creating.)
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                     REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY result,
                     LPDWORD disposition);
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize);
LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD dataSize);
// Deletes a key with its values and whatever lies below it (the key the driver deletes has no
// subkeys, which Windows would refuse).
LONG RegDeleteKeyA(HKEY key, LPCSTR subKey);
LONG RegCloseKey(HKEY key);

// ANSI strings in the Windows-1252 code page (strings.cpp).
LPSTR CharUpperA(LPSTR text);
int lstrcmpiA(LPCSTR first, LPCSTR second);

// The driver manager's side of an installable driver (driver_manager.cpp).
LRESULT DefDriverProc(DWORD_PTR driverId, HDRVR driver, UINT message, LPARAM lParam1,
                      LPARAM lParam2);
HMODULE GetDriverModuleHandle(HDRVR driver);

// Test seams that exist only on POSIX.
SIZE_T PosixHeapLiveBlockCount(HANDLE heap);
// Makes the nth HeapAlloc call from now on (1 for the next) answer null, once; 0 refuses none.
void PosixHeapRefuseAllocation(SIZE_T nth);
// True while the refusal set above has not yet been reached.
bool PosixHeapRefusalPending();
// From now on each GetTickCount answers `milliseconds` more than the one before, so that a wait
// for a time ends after a known number of looks; 0 goes back to the real clock.
void PosixStepTickCount(DWORD milliseconds);
// Event and thread handles made and not yet closed.
SIZE_T PosixOpenHandleCount();
// Makes the nth CreateEventA or CreateThread call from now on answer null, once; 0 refuses none.
void PosixRefuseHandle(SIZE_T nth);
// True while the refusal set above has not yet been reached.
bool PosixHandleRefusalPending();
using DebugOutputHook = void (*)(LPCSTR text);
void SetDebugOutputHook(DebugOutputHook hook);
// Empties the registry.
void PosixRegistryReset();
// Handles opened and not yet closed.
SIZE_T PosixRegistryOpenHandleCount();
// Calls given a handle that was never opened or is closed already, since the last reset: a
// caller that took a failed open for a key would show here.
SIZE_T PosixRegistryInvalidHandleUses();
// Creates the key if it is missing and from then on lets it open for reading only, as a key the
// user has no rights on; it cannot be deleted either.
void PosixRegistryMakeReadOnly(LPCSTR path);
// From now on GetModuleFileNameA answers this path for the process, as if the program had been
// started from it; null goes back to the program's own path.
void PosixSetProcessFileName(LPCSTR path);
// Makes the nth RegSetValueExA call from now on (1 for the next) fail, once; 0 refuses none.
void PosixRegistryRefuseWrite(SIZE_T nth);
// The compiled-in string table of the module's resources, or null for an unknown id.
LPCSTR PosixResourceString(UINT id);
