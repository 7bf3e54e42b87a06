// Opens the driver the way a host does and shows what it says about itself.
#include <cstdio>
#include <string>

#include "driver/driver_proc.h"
#include "driver/process.h"
#include "platform/code_module.h"

namespace {

LRESULT Send(DWORD_PTR id, UINT message, LPARAM l1 = 0, LPARAM l2 = 0) {
    return DriverProc(id, nullptr, message, l1, l2);
}

std::string Narrow(const WCHAR* text) {
    std::string narrow;
    for (; *text != 0; ++text) {
        narrow += *text < 0x80 ? static_cast<char>(*text) : '?';
    }
    return narrow;
}

std::string FourCCText(DWORD code) {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>(code >> (8 * i));
        text += c >= 0x20 && c < 0x7F ? c : '.';
    }
    return text;
}

}  // namespace

int main() {
    ProcessAttach(CodeModule());
    Send(0, DRV_LOAD);
    ICINFO openParameters{};
    const auto id = static_cast<DWORD_PTR>(
        Send(0, DRV_OPEN, 0, reinterpret_cast<LPARAM>(&openParameters)));

    ICINFO info{};
    const LRESULT infoSize = Send(id, ICM_GETINFO, reinterpret_cast<LPARAM>(&info), sizeof info);
    std::printf("ICM_GETINFO answered %ld\n", static_cast<long>(infoSize));
    std::printf("  type %s, handler %s, flags 0x%X, version 0x%X\n",
                FourCCText(info.fccType).c_str(), FourCCText(info.fccHandler).c_str(),
                info.dwFlags, info.dwVersion);
    std::printf("  name \"%s\", description \"%s\"\n", Narrow(info.szName).c_str(),
                Narrow(info.szDescription).c_str());

    unsigned char state[12] = {};
    const LRESULT stateSize = Send(id, ICM_GETSTATE, reinterpret_cast<LPARAM>(state), sizeof state);
    std::printf("ICM_GETSTATE answered %ld:", static_cast<long>(stateSize));
    for (unsigned char byte : state) {
        std::printf(" %02X", byte);
    }
    std::printf("\n");

    Send(id, DRV_CLOSE);
    Send(0, DRV_FREE);
    ProcessDetach();
    return infoSize == sizeof info && stateSize == sizeof state ? 0 : 1;
}
