// The registry under HKEY_CLASSES_ROOT, held in memory for the life of the process.
//
// Keys form a tree of shared nodes, so a handle keeps its key alive after the key is deleted (the
// driver opens a deleted key anew rather than using an old handle). Handles are heap records that
// the registry remembers, so a closed or foreign handle is refused rather than followed.
#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/posix/refusal.h"
#include "platform/posix/win_functions.h"

namespace {

// Registry names ignore case.
struct NameLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    }
};

std::atomic<SIZE_T> gWritesBeforeRefusal{};

struct RegistryValue {
    DWORD type;
    std::vector<BYTE> data;
};

struct RegistryKey {
    std::string name;
    std::weak_ptr<RegistryKey> parent;
    std::map<std::string, std::shared_ptr<RegistryKey>, NameLess> subKeys;
    std::map<std::string, RegistryValue, NameLess> values;
    // As Windows keeps a machine-wide key from a user without rights on it: it opens for reading
    // only and cannot be deleted.
    bool readOnly = false;
};

struct OpenKey {
    std::shared_ptr<RegistryKey> key;
    REGSAM access;
};

std::vector<std::string> PathComponents(LPCSTR path) {
    std::vector<std::string> components;
    std::string component;
    for (const char* c = path ? path : ""; *c != '\0'; ++c) {
        if (*c != '\\') {
            component += *c;
        } else if (!component.empty()) {
            components.push_back(std::move(component));
            component.clear();
        }
    }
    if (!component.empty()) {
        components.push_back(std::move(component));
    }
    return components;
}

bool DeniedTo(const RegistryKey& key, REGSAM access) {
    return key.readOnly && (access & ~static_cast<REGSAM>(KEY_READ)) != 0;
}

class Registry {
public:
    static Registry& Instance() {
        static Registry registry;
        return registry;
    }

    std::mutex Mutex;

    // The key and the access that a handle stands for; the predefined root grants everything.
    LONG Resolve(HKEY handle, OpenKey& resolved) {
        if (handle == HKEY_CLASSES_ROOT) {
            resolved = {classesRoot_, KEY_ALL_ACCESS};
            return ERROR_SUCCESS;
        }
        const auto* open = reinterpret_cast<const OpenKey*>(handle);
        if (!handles_.contains(open)) {
            ++invalidHandleUses_;
            return ERROR_INVALID_HANDLE;
        }
        resolved = *open;
        return ERROR_SUCCESS;
    }

    // Resolves a handle for a value call that needs `required` among its access rights.
    LONG ResolveForValues(HKEY handle, REGSAM required, OpenKey& resolved) {
        if (const LONG status = Resolve(handle, resolved); status != ERROR_SUCCESS) {
            return status;
        }
        return (resolved.access & required) == 0 ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
    }

    HKEY NewHandle(std::shared_ptr<RegistryKey> key, REGSAM access) {
        auto* open = new OpenKey{std::move(key), access};
        handles_.insert(open);
        return reinterpret_cast<HKEY>(open);
    }

    LONG CloseHandle(HKEY handle) {
        auto* open = reinterpret_cast<OpenKey*>(handle);
        if (handles_.erase(open) == 0) {
            ++invalidHandleUses_;
            return ERROR_INVALID_HANDLE;
        }
        delete open;
        return ERROR_SUCCESS;
    }

    SIZE_T HandleCount() const { return handles_.size(); }
    SIZE_T InvalidHandleUses() const { return invalidHandleUses_; }

    void Reset() {
        classesRoot_ = std::make_shared<RegistryKey>();
        invalidHandleUses_ = 0;
    }

private:
    std::shared_ptr<RegistryKey> classesRoot_ = std::make_shared<RegistryKey>();
    std::unordered_set<const OpenKey*> handles_;
    SIZE_T invalidHandleUses_{};
};

// Follows a path below a key; null when a level is missing.
std::shared_ptr<RegistryKey> FindKey(std::shared_ptr<RegistryKey> key, LPCSTR path) {
    for (const std::string& name : PathComponents(path)) {
        const auto found = key->subKeys.find(name);
        if (found == key->subKeys.end()) {
            return nullptr;
        }
        key = found->second;
    }
    return key;
}

std::shared_ptr<RegistryKey> AddSubKey(const std::shared_ptr<RegistryKey>& parent,
                                       const std::string& name) {
    auto key = std::make_shared<RegistryKey>();
    key->name = name;
    key->parent = parent;
    parent->subKeys.emplace(name, key);
    return key;
}

}  // namespace

// Arguments that Windows reserves must be 0; refusing others shows a caller's slip in tests.
// Pointers the driver always gives (results, sizes, types, data) are not checked.
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
    if (options != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    Registry& registry = Registry::Instance();
    std::lock_guard lock(registry.Mutex);
    OpenKey base;
    if (const LONG status = registry.Resolve(key, base); status != ERROR_SUCCESS) {
        return status;
    }
    auto found = FindKey(base.key, subKey);
    if (!found) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (DeniedTo(*found, access)) {
        return ERROR_ACCESS_DENIED;
    }
    *result = registry.NewHandle(std::move(found), access);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR, DWORD, REGSAM access,
                     LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD) {
    if (reserved != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    Registry& registry = Registry::Instance();
    std::lock_guard lock(registry.Mutex);
    OpenKey base;
    if (const LONG status = registry.Resolve(key, base); status != ERROR_SUCCESS) {
        return status;
    }
    auto current = base.key;
    for (const std::string& name : PathComponents(subKey)) {
        const auto found = current->subKeys.find(name);
        current = found != current->subKeys.end() ? found->second : AddSubKey(current, name);
    }
    if (DeniedTo(*current, access)) {
        return ERROR_ACCESS_DENIED;
    }
    *result = registry.NewHandle(std::move(current), access);
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize) {
    if (reserved != nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    Registry& registry = Registry::Instance();
    std::lock_guard lock(registry.Mutex);
    OpenKey open;
    if (const LONG status = registry.ResolveForValues(key, KEY_QUERY_VALUE, open);
        status != ERROR_SUCCESS) {
        return status;
    }
    const auto found = open.key->values.find(valueName ? valueName : "");
    if (found == open.key->values.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const RegistryValue& value = found->second;
    const auto size = static_cast<DWORD>(value.data.size());
    *type = value.type;
    // No data buffer asks for the size only.
    const bool fits = data == nullptr || *dataSize >= size;
    if (fits && data != nullptr) {
        std::copy(value.data.begin(), value.data.end(), data);
    }
    *dataSize = size;
    return fits ? ERROR_SUCCESS : ERROR_MORE_DATA;
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD dataSize) {
    if (reserved != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    if (IsRefusedCall(gWritesBeforeRefusal)) {
        return ERROR_ACCESS_DENIED;
    }
    Registry& registry = Registry::Instance();
    std::lock_guard lock(registry.Mutex);
    OpenKey open;
    if (const LONG status = registry.ResolveForValues(key, KEY_SET_VALUE, open);
        status != ERROR_SUCCESS) {
        return status;
    }
    RegistryValue& value = open.key->values[valueName ? valueName : ""];
    value.type = type;
    value.data.assign(data, data + dataSize);
    return ERROR_SUCCESS;
}

// The driver deletes a key without subkeys, below the root.
LONG RegDeleteKeyA(HKEY key, LPCSTR subKey) {
    Registry& registry = Registry::Instance();
    std::lock_guard lock(registry.Mutex);
    OpenKey base;
    if (const LONG status = registry.Resolve(key, base); status != ERROR_SUCCESS) {
        return status;
    }
    const auto target = FindKey(base.key, subKey);
    if (!target) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (target->readOnly) {
        return ERROR_ACCESS_DENIED;
    }
    target->parent.lock()->subKeys.erase(target->name);
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
    Registry& registry = Registry::Instance();
    std::lock_guard lock(registry.Mutex);
    return registry.CloseHandle(key);
}

void PosixRegistryReset() {
    Registry& registry = Registry::Instance();
    std::lock_guard lock(registry.Mutex);
    registry.Reset();
}

SIZE_T PosixRegistryOpenHandleCount() {
    Registry& registry = Registry::Instance();
    std::lock_guard lock(registry.Mutex);
    return registry.HandleCount();
}

SIZE_T PosixRegistryInvalidHandleUses() {
    Registry& registry = Registry::Instance();
    std::lock_guard lock(registry.Mutex);
    return registry.InvalidHandleUses();
}

void PosixRegistryRefuseWrite(SIZE_T nth) {
    gWritesBeforeRefusal = nth;
}

void PosixRegistryMakeReadOnly(LPCSTR path) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CLASSES_ROOT, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr,
                    &key, nullptr);
    Registry& registry = Registry::Instance();
    std::lock_guard lock(registry.Mutex);
    OpenKey open;
    if (registry.Resolve(key, open) == ERROR_SUCCESS) {
        open.key->readOnly = true;
    }
    registry.CloseHandle(key);
}
