// Drives the settings and the YUV-restricted list through Wine's registry and msvfw32. Loading the
// settings needs a fresh process attach, so the checks that depend on what a load finds run in
// child processes of this program: itself, and a copy of itself named WMPLAYER.EXE, the program on
// the default YUV-restricted list.
//
//   win_settings_host                               the whole test
//   win_settings_host --child FIELDS FASTDCT YUY2   child: a new instance reports these option
//   WMPLAYER.EXE --child FIELDS FASTDCT YUY2        bytes and this answer to YUY2 output
#include <cstdlib>
#include <cstring>
#include <string>

#include "host_test.h"

namespace {

using host_test::kQlnu;

constexpr const char* kCodecKey = "Software\\Orvane\\Quillon\\Codec";
constexpr const char* kYuvListKey =
    "SoftWare\\Telvik\\Common codec's settings\\YUV defective application";

BITMAPINFOHEADER Format(DWORD compression, WORD bitCount) {
    return MakeFormat(compression, bitCount, 720, 576);
}

const BITMAPINFOHEADER kQlnu24 = Format(kQlnu, 24);
const BITMAPINFOHEADER kRgb24 = Format(BI_RGB, 24);
const BITMAPINFOHEADER kYuy2 = Format(mmioFOURCC('Y', 'U', 'Y', '2'), 16);

// Child: what a new instance reports after the load at attach: its option bytes, and its
// answer to YUY2 output, which only restricted programs are refused.
void CheckNewInstance(int changeFieldsOrder, int fastDct, LRESULT yuy2Answer) {
    HIC codec = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_DECOMPRESS);
    CHECK(codec != nullptr);
    if (codec == nullptr) {
        return;
    }
    BYTE state[12] = {};
    CHECK_EQ(ICGetState(codec, state, sizeof state), 12);
    CHECK_EQ(state[9], changeFieldsOrder);
    CHECK_EQ(state[10], fastDct);
    CHECK_EQ(ICDecompressQuery(codec, &kQlnu24, &kYuy2), yuy2Answer);
    CHECK_EQ(ICDecompressQuery(codec, &kQlnu24, &kRgb24), ICERR_OK);
    ICClose(codec);
}

int RunChild(const std::string& program, const std::string& arguments) {
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(exitCode);
}

// Back to a first run: the next process that loads the driver writes the defaults.
void DeleteSettingsKeys() {
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kCodecKey);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kYuvListKey);
}

// The manager finds the codec for a QLNU picture by asking each installed codec.
void CheckLocate() {
    BITMAPINFOHEADER input = kQlnu24;
    HIC located = ICLocate(ICTYPE_VIDEO, 0, &input, nullptr, ICMODE_DECOMPRESS);
    CHECK(located != nullptr);
    if (located != nullptr) {
        ICINFO info{};
        ICGetInfo(located, &info, sizeof info);
        CHECK_EQ(info.fccHandler, kQlnu);
        ICClose(located);
    }
}

int RunWholeTest() {
    const std::string program = host_test::ProgramPath();
    const std::string restrictedCopy = host_test::ProgramFolder() + "WMPLAYER.EXE";
    CHECK(host_test::InstallDriver());
    DeleteSettingsKeys();

    // The process that finds no keys writes them, and keeps FastDCT set until the next load,
    // which finds it cleared and a flag changed in the registry set.
    CHECK_EQ(RunChild(program, "--child 0 1 0"), 0);
    const DWORD one = 1;
    CHECK_EQ(RegSetKeyValueA(HKEY_CLASSES_ROOT, kCodecKey, "ChangeFieldsOrder", REG_DWORD, &one,
                             sizeof one),
             ERROR_SUCCESS);
    CHECK_EQ(RunChild(program, "--child 1 0 0"), 0);

    CHECK(CopyFileA(program.c_str(), restrictedCopy.c_str(), FALSE));
    CHECK_EQ(RunChild(restrictedCopy, "--child 1 0 -2"), 0);  // ICERR_BADFORMAT
    CheckLocate();

    DeleteFileA(restrictedCopy.c_str());
    DeleteSettingsKeys();
    CHECK(host_test::RemoveDriver());
    return host_test::Finish();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0) {
        CheckNewInstance(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
        return host_test::gFailed == 0 ? 0 : 1;
    }
    return RunWholeTest();
}
