// Process attach loads both application lists and the codec flags, writing the layout of a
// first run over whatever the lists held; new instances start from the flags as loaded.
#include <cstring>
#include <string>

#include "driver/codec_instance.h"
#include "settings/registry_values.h"
#include "settings/settings_store.h"
#include "settings/yuv_restricted_apps.h"
#include "support/attached_driver.h"

namespace {

CodecState StateOfANewInstance() {
    static ICINFO openParameters{};
    const auto id = static_cast<DWORD_PTR>(
        DriverProc(0, nullptr, DRV_OPEN, 0, reinterpret_cast<LPARAM>(&openParameters)));
    CodecState state{};
    EXPECT_EQ(DriverProc(id, nullptr, ICM_GETSTATE, reinterpret_cast<LPARAM>(&state), sizeof state),
              12);
    DriverProc(id, nullptr, DRV_CLOSE, 0, 0);
    return state;
}

using AttachSettingsTest = EmptyRegistryTest;

TEST_F(AttachSettingsTest, AFirstRunWritesBothKeys) {
    DefaultCodecState = kFactoryCodecState;
    std::memset(FullScreenApps, 'L', sizeof FullScreenApps);
    std::memset(YuvRestrictedApps, 'L', sizeof YuvRestrictedApps);
    ASSERT_EQ(ProcessAttach(CodeModule()), TRUE);
    EXPECT_EQ(ghYuvListModule, CodeModule());
    struct Expected {
        LPCSTR key;
        LPCSTR name;
        DWORD type;
        std::string bytes;
    };
    const auto dword = [](DWORD value) {
        return std::string(reinterpret_cast<const char*>(&value), sizeof value);
    };
    const Expected layout[] = {
        {kCodecKey, "FastDCT", REG_DWORD, dword(0)},
        {kCodecKey, "ChangeFieldsOrder", REG_DWORD, dword(0)},
        {kCodecKey, "FiltrateAlpha", REG_DWORD, dword(1)},
        {kCodecKey, "AppCount", REG_DWORD, dword(2)},
        {kCodecKey, "App1", REG_SZ, WithZero("PREMIERE.EXE")},
        {kCodecKey, "App2", REG_SZ, WithZero("CLIPDESK.EXE")},
        {kYuvListKey, "Correct state", REG_DWORD, dword(1)},
        {kYuvListKey, "Application00", REG_SZ, WithZero("WMPLAYER.EXE")},
    };
    for (const Expected& expected : layout) {
        const StoredValue value = GetValue(expected.key, expected.name);
        EXPECT_EQ(value.status, ERROR_SUCCESS) << expected.name;
        EXPECT_EQ(value.type, expected.type) << expected.name;
        EXPECT_EQ(value.Bytes(), expected.bytes) << expected.name;
    }
    EXPECT_EQ(GetValue(kCodecKey, "App3").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetValue(kYuvListKey, "Application01").status, ERROR_FILE_NOT_FOUND);
    // The lists are replaced whole: the names, then zeros to the end of every slot.
    const auto padded = [](const std::string& name, std::size_t size) {
        return name + std::string(size - name.size(), '\0');
    };
    const std::string fullScreenDefaults[] = {"PREMIERE.EXE", "CLIPDESK.EXE"};
    for (int slot = 0; slot < kFullScreenAppSlots; ++slot) {
        EXPECT_EQ(std::string(FullScreenApps[slot], kFullScreenAppNameSize),
                  padded(slot < 2 ? fullScreenDefaults[slot] : "", kFullScreenAppNameSize));
        EXPECT_EQ(std::string(YuvRestrictedApps[slot], kYuvRestrictedAppNameSize),
                  padded(slot == 0 ? "WMPLAYER.EXE" : "", kYuvRestrictedAppNameSize));
    }
    // The run that wrote the defaults keeps FastDCT set; the next one reads it cleared.
    EXPECT_EQ(StateOfANewInstance().FastDCT, 1);
    ProcessDetach();
    ProcessAttach(CodeModule());
    EXPECT_EQ(StateOfANewInstance().FastDCT, 0);
    ProcessDetach();
    DefaultCodecState = kFactoryCodecState;
}

}  // namespace
