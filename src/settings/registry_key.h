// One open registry key, closed when the object goes.
#pragma once

#include "platform/win_api.h"

class RegKey {
  public:
    RegKey() = default;
    virtual ~RegKey();

    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // Opens the key, creating it (non-volatile, no class) when it does not exist yet; a key
    // already held is closed first.
    bool Open(HKEY root, LPCSTR path, REGSAM access);

    // Reads a value of any type into the buffer. When the read fails and a default is given, the
    // default is written (a REG_SZ default without its terminating zero, anything else with
    // size bytes) and the answer is that of reading it again.
    bool QueryValue(LPCSTR name, DWORD type, void* buffer, DWORD size,
                    const void* defaultValue = nullptr);

    bool SetValue(LPCSTR name, DWORD type, const void* data, DWORD size);

    void Close();

    bool IsOpen() const { return key_ != nullptr; }
    REGSAM Access() const { return access_; }

  private:
    bool Read(LPCSTR name, void* buffer, DWORD size);

    HKEY key_ = nullptr;
    REGSAM access_ = 0;
};
