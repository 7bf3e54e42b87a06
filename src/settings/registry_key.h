// One open registry key, closed when the object goes. Both the codec's settings and the shared
// YUV-restricted list reach the registry through it.
#pragma once

#include "common/driver_heap.h"
#include "platform/win_api.h"

// A heap object like the driver's other classes with a virtual destructor, so that its
// deleting destructor frees through the driver heap, although keys live on the stack.
class RegKey : public HeapObject {
public:
    // What a read found: whether the value was read, its type and its size in bytes.
    struct ReadResult {
        bool read;
        DWORD type;
        DWORD size;
    };

    RegKey() = default;
    ~RegKey() override;

    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // Each opening call closes a key already held first, and records the access on success.
    // OpenExisting fails for a missing key; Create makes every missing level (non-volatile, no
    // class); Open tries the first and falls back on the second.
    bool OpenExisting(HKEY parent, LPCSTR path, REGSAM access);
    bool Create(HKEY parent, LPCSTR path, REGSAM access);
    bool Open(HKEY parent, LPCSTR path, REGSAM access);

    // Reads a value of any type into the buffer of `size` bytes.
    ReadResult Read(LPCSTR name, void* buffer, DWORD size) const;

    // Reads a value of any type into the buffer. When the read fails and a default is given, the
    // default is written (a REG_SZ default without its terminating zero, anything else with
    // size bytes) and the answer is that of reading it again. The driver's own reads give no
    // default; the form belongs to the class's interface, as does Access().
    bool QueryValue(LPCSTR name, DWORD type, void* buffer, DWORD size,
                    const void* defaultValue = nullptr);

    bool SetValue(LPCSTR name, DWORD type, const void* data, DWORD size);

    void Close();

    HKEY Handle() const { return key_; }
    REGSAM Access() const { return access_; }

private:
    bool Opened(LONG status, REGSAM access);

    HKEY key_ = nullptr;
    REGSAM access_ = 0;
};
