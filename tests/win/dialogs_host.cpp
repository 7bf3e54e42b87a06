// Opens the driver's dialogs as hosts do (ICConfigure and ICAbout on an open codec, DRV_CONFIGURE
// on an open without parameters), works them from a second thread with window messages as a user
// would, and checks what they stored in memory and in Wine's registry. Given the path of
// ImageMagick's import as its argument, it leaves a screenshot of each dialog in its folder.
#include <atomic>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "host_test.h"
// host_test.h brings windows.h first.
#include <dlgs.h>

namespace {

using host_test::kQlnu;
using Names = std::vector<std::string>;

constexpr const char* kCodecKey = "Software\\Orvane\\Quillon\\Codec";
constexpr const char* kYuvListKey =
    "SoftWare\\Telvik\\Common codec's settings\\YUV defective application";
constexpr const char* kConfigure = "Quillon Configure";
constexpr const char* kYuvList = "List of defective application";
constexpr const char* kAbout = "Quillon About";
constexpr const char* kPickers[] = {"Choose Application", "Choose application"};

std::string gImport;
char gShotFolder[MAX_PATH];  // the working folder at the start

// A dialog once it shows, after its controls are filled.
HWND WaitForDialog(const char* caption) {
    HWND dialog = nullptr;
    for (int wait = 0; wait < 300 && !IsWindowVisible(dialog); ++wait) {
        Sleep(50);
        dialog = FindWindowA("#32770", caption);
    }
    return dialog;
}

std::string ItemText(HWND dialog, int id) {
    char text[4096] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

Names ListItems(HWND dialog, int id) {
    Names items;
    for (LRESULT index = 0; index < SendDlgItemMessageA(dialog, id, LB_GETCOUNT, 0, 0); ++index) {
        char item[MAX_PATH] = "";
        SendDlgItemMessageA(dialog, id, LB_GETTEXT, index, reinterpret_cast<LPARAM>(item));
        items.emplace_back(item);
    }
    return items;
}

// Clicks that open another modal window, or close this one, are posted: a sent one would wait.
void Click(HWND dialog, int id, bool post = false) {
    const WPARAM command = MAKEWPARAM(id, BN_CLICKED);
    const auto button = reinterpret_cast<LPARAM>(GetDlgItem(dialog, id));
    post ? PostMessageA(dialog, WM_COMMAND, command, button)
         : SendMessageA(dialog, WM_COMMAND, command, button);
}

// Waits until the dialog is gone, so that no later search finds it.
void Close(HWND dialog, int button) {
    Click(dialog, button, true);
    for (int wait = 0; wait < 100 && IsWindow(dialog); ++wait) {
        Sleep(50);
    }
}

void PickFile(const char* caption, const std::string& path) {
    HWND box = WaitForDialog(caption);
    Sleep(500);  // the open-file dialog fills its controls after it shows
    SetDlgItemTextA(box, GetDlgItem(box, edt1) != nullptr ? edt1 : cmb13, path.c_str());
    Close(box, IDOK);
}

// Wine starts a Unix program in the working folder (which the open-file dialogs move) and gives
// no handle to wait on; import writes the file once it has the picture.
void Screenshot(HWND dialog, const std::string& name) {
    if (gImport.empty()) {
        return;
    }
    SetCurrentDirectoryA(gShotFolder);
    DeleteFileA(name.c_str());
    Sleep(500);  // time to paint
    RECT frame{};
    GetWindowRect(dialog, &frame);
    char command[1024];
    std::snprintf(command, sizeof command, "%s -window root -crop %ldx%ld+%ld+%ld +repage %s",
                  gImport.c_str(), frame.right - frame.left, frame.bottom - frame.top, frame.left,
                  frame.top, name.c_str());
    STARTUPINFOA startup{sizeof startup};
    PROCESS_INFORMATION process{};
    CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                   &process);
    for (int wait = 0; wait < 200 && GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES;
         ++wait) {
        Sleep(50);
    }
}

// Shows a modal dialog on this thread while `work` drives it from another. A dialog that `work`
// leaves open is cancelled, so that a failure ends the run instead of hanging it.
template <typename Show, typename Work>
LRESULT WhileShown(Show show, Work work) {
    std::atomic<bool> shown{true};
    std::thread worker([&] {
        work();
        for (; shown; Sleep(200)) {
            for (const char* caption : {kPickers[0], kPickers[1], kYuvList, kConfigure, kAbout}) {
                PostMessageA(FindWindowA("#32770", caption), WM_COMMAND, IDCANCEL, 0);
            }
        }
    });
    const LRESULT result = show();
    shown = false;
    worker.join();
    return result;
}

// Registry values as text, each followed by "|": a string as it is, a number in decimal.
std::string Stored(const char* key, std::initializer_list<const char*> names) {
    std::string values;
    for (const char* name : names) {
        char data[MAX_PATH] = "";
        DWORD type = REG_NONE;
        DWORD size = sizeof data;
        RegGetValueA(HKEY_CLASSES_ROOT, key, name, RRF_RT_ANY, &type, data, &size);
        values +=
            (type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(data)) : data) + "|";
    }
    return values;
}

// The option bytes FiltrateAlpha, ChangeFieldsOrder and FastDCT of a codec's state, or of a new
// codec's.
std::string Flags(HIC codec = nullptr) {
    HIC opened = codec == nullptr ? ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_DECOMPRESS) : nullptr;
    BYTE state[12] = {};
    ICGetState(codec != nullptr ? codec : opened, state, sizeof state);
    ICClose(opened);
    return {char('0' + state[8]), char('0' + state[9]), char('0' + state[10])};
}

// Types, adds, removes and ticks, edits the restricted list, and confirms both.
void EditAndConfirm(const std::string& viewer) {
    HWND dialog = WaitForDialog(kConfigure);
    CHECK(ListItems(dialog, 1014) == (Names{"CLIPDESK.EXE", "PREMIERE.EXE"}) &&
          SendDlgItemMessageA(dialog, 1014, LB_GETCURSEL, 0, 0) == 0);
    CHECK(ItemText(dialog, 1001) == "&Add" && ItemText(dialog, 1002) == "&Remove" &&
          ItemText(dialog, 1016) == "&Browse" && ItemText(dialog, 3) == "Advanced");
    CHECK(!IsWindowVisible(GetDlgItem(dialog, 1008)) && IsDlgButtonChecked(dialog, 1003) &&
          !IsDlgButtonChecked(dialog, 1018));
    Screenshot(dialog, "configure_dialog.png");
    for (const char* typed : {"c:\\apps\\Player.exe", "PLAYER.EXE"}) {
        SetDlgItemTextA(dialog, 1015, typed);
        Click(dialog, 1001);
    }
    SendDlgItemMessageA(dialog, 1014, LB_SETCURSEL, 0, 0);
    Click(dialog, 1002);
    CHECK(ItemText(dialog, 1015).empty() &&
          ListItems(dialog, 1014) == (Names{"Player.exe", "PREMIERE.EXE"}));
    CheckDlgButton(dialog, 1003, BST_UNCHECKED);
    CheckDlgButton(dialog, 1018, BST_CHECKED);

    Click(dialog, 3, true);
    HWND list = WaitForDialog(kYuvList);
    CHECK(ListItems(list, 1015) == Names{"WMPLAYER.EXE"});
    Screenshot(list, "yuv_list_dialog.png");
    for (int pick = 0; pick < 2; ++pick) {
        Click(list, 3, true);
        PickFile(kPickers[1], viewer);
    }
    HWND refusal = WaitForDialog("Multiple selection");
    CHECK(ItemText(refusal, 0xFFFF) == "This file already selected");
    Close(refusal, IDOK);
    SendDlgItemMessageA(list, 1015, LB_SETCURSEL, 1, 0);  // WMPLAYER.EXE
    Click(list, 4);
    CHECK(ListItems(list, 1015) == Names{"VIEWER.EXE"});
    Close(list, IDOK);
    Close(dialog, IDOK);
}

// Browsing fills the edit box. Cancel in either dialog keeps its changes from being stored.
void BrowseAndCancel(const std::string& viewer) {
    HWND dialog = WaitForDialog(kConfigure);
    Click(dialog, 1016, true);
    PickFile(kPickers[0], viewer);
    CHECK(ItemText(dialog, 1015) == "viewer.exe");
    Click(dialog, 1001);
    CheckDlgButton(dialog, 1003, BST_CHECKED);
    Click(dialog, 3, true);
    HWND list = WaitForDialog(kYuvList);
    SendDlgItemMessageA(list, 1015, LB_SETCURSEL, 0, 0);
    Click(list, 4);
    Close(list, IDCANCEL);
    Close(dialog, IDCANCEL);
}

void CheckConfiguration(HIC codec, const std::string& viewer) {
    CHECK_EQ(
        WhileShown([&] { return ICConfigure(codec, nullptr); }, [&] { EditAndConfirm(viewer); }),
        1);
    CHECK(Flags(codec) == "110" && Flags() == "110");
    CHECK(Stored(kCodecKey, {"App1", "App2", "AppCount", "FastDCT", "ChangeFieldsOrder"}) ==
          "Player.exe|PREMIERE.EXE|2|0|1|");
    CHECK(Stored(kYuvListKey, {"Application00", "Application01"}) == "VIEWER.EXE||");

    // The configuration-only open shows the same dialog; Cancel keeps everything as it was.
    const std::string path = host_test::ProgramFolder() + "qlnu.dll";
    HDRVR driver = OpenDriver(std::wstring(path.begin(), path.end()).c_str(), nullptr, 0);
    CHECK_EQ(WhileShown([&] { return SendDriverMessage(driver, DRV_CONFIGURE, 0, 0); },
                        [&] { BrowseAndCancel(viewer); }),
             0);
    CloseDriver(driver, 0, 0);
    CHECK(Flags() == "110" && Stored(kCodecKey, {"AppCount", "App3"}) == "2||" &&
          Stored(kYuvListKey, {"Application00"}) == "VIEWER.EXE|");
}

// The about text of a codec, which closes with Escape.
std::string AboutText(HIC codec, const std::string& screenshot) {
    std::string text;
    const auto read = [&] {
        HWND dialog = WaitForDialog(kAbout);
        text = ItemText(dialog, 1017);
        Screenshot(dialog, screenshot);
        Close(dialog, IDCANCEL);
    };
    CHECK_EQ(WhileShown([&] { return ICAbout(codec, nullptr); }, read), 0);
    return text;
}

void CheckAboutTexts(HIC codec) {
    const std::string text = AboutText(codec, "about_dialog.png");
    CHECK(text.starts_with("Telvik Uncompressed\n\nCodec works via manager Video For Windows"));
    CHECK(text.ends_with("\n\nBuild: 1 August 2003"));

    // A copy of the DLL whose version block names German instead of US English.
    std::ifstream in(host_test::ProgramFolder() + "qlnu.dll", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string key("T\0r\0a\0n\0s\0l\0a\0t\0i\0o\0n\0", 22);
    bytes.at(bytes.find(std::string("\x09\x04\xB0\x04", 4), bytes.find(key))) = 0x07;
    const std::string copy = host_test::ProgramFolder() + "qlnu_untranslated.dll";
    std::ofstream(copy, std::ios::binary) << bytes;
    const DWORD copyHandler = mmioFOURCC('Q', 'L', 'N', 'X');
    ICInstall(ICTYPE_VIDEO, copyHandler, reinterpret_cast<LPARAM>(copy.c_str()), nullptr,
              ICINSTALL_DRIVER);
    HIC untranslated = ICOpen(ICTYPE_VIDEO, copyHandler, ICMODE_QUERY);
    CHECK(AboutText(untranslated, "about_dialog_untranslated.png")
              .ends_with("\n\nBuild: not available."));
    ICClose(untranslated);
    ICRemove(ICTYPE_VIDEO, copyHandler, 0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2) {
        gImport = argv[1];
        GetCurrentDirectoryA(sizeof gShotFolder, gShotFolder);
    }
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kCodecKey);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kYuvListKey);
    const std::string viewer = host_test::ProgramFolder() + "viewer.exe";
    std::ofstream(viewer) << "MZ";
    CHECK(host_test::InstallDriver());
    HIC codec = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_COMPRESS);
    CHECK(codec != nullptr && Flags(codec) == "101");
    CheckConfiguration(codec, viewer);
    CheckAboutTexts(codec);
    ICClose(codec);
    CHECK(host_test::RemoveDriver());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kCodecKey);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kYuvListKey);
    return host_test::Finish();
}
