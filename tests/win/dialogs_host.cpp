// Opens the driver's dialogs as hosts do (ICConfigure and ICAbout on an open codec, DRV_CONFIGURE
// on an open without parameters) and works them from a second thread with window messages, as a
// user would; then checks what they stored in memory and in Wine's registry. With a screenshot
// folder and ImageMagick's import, each dialog is also saved there as a PNG.
//
//   win_dialogs_host [SCREENSHOT-FOLDER IMPORT-PROGRAM]
#include <atomic>
#include <cstdio>
#include <fstream>
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
constexpr DWORD kUntranslatedCopy = mmioFOURCC('Q', 'L', 'N', 'X');

std::string gShotFolder;  // a Unix path
std::string gImport;

HWND WaitForDialog(const char* caption) {
    for (int attempt = 0; attempt < 300; ++attempt) {
        HWND dialog = FindWindowA("#32770", caption);
        if (dialog != nullptr && IsWindowVisible(dialog)) {
            return dialog;
        }
        Sleep(50);
    }
    std::printf("no window \"%s\"; open windows:\n", caption);
    EnumWindows(
        [](HWND window, LPARAM) {
            char text[256] = "";
            if (IsWindowVisible(window) && GetWindowTextA(window, text, sizeof text) > 0) {
                std::printf("  \"%s\"\n", text);
            }
            return TRUE;
        },
        0);
    return nullptr;
}

std::string TextOf(HWND window) {
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ItemText(HWND dialog, int id) {
    return TextOf(GetDlgItem(dialog, id));
}

std::vector<std::string> ListItems(HWND dialog, int id) {
    std::vector<std::string> items;
    const auto count = SendDlgItemMessageA(dialog, id, LB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
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

// Closes a dialog with OK or Cancel and waits until it is gone, so that no later search finds it.
void Close(HWND dialog, int button) {
    Click(dialog, button, true);
    for (int wait = 0; wait < 100 && IsWindow(dialog); ++wait) {
        Sleep(50);
    }
}

void Check(HWND dialog, int id, bool checked) {
    SendDlgItemMessageA(dialog, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Type(HWND dialog, int id, const std::string& text) {
    SendDlgItemMessageA(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Answers an open-file dialog with a file.
void PickFile(const char* caption, const std::string& path) {
    HWND box = WaitForDialog(caption);
    if (box != nullptr) {
        Sleep(500);  // the dialog fills its controls after it shows
        Type(box, GetDlgItem(box, edt1) != nullptr ? edt1 : cmb13, path);
        Close(box, IDOK);
    }
}

// Checks a message box's caption and text and closes it.
void AnswerMessage(const char* caption, const std::string& text) {
    HWND box = WaitForDialog(caption);
    CHECK(box != nullptr && ItemText(box, 0xFFFF) == text);
    if (box != nullptr) {
        Close(box, IDOK);
    }
}

std::string WindowsPath(std::string unixPath) {
    for (char& c : unixPath) {
        c = c == '/' ? '\\' : c;
    }
    return "Z:" + unixPath;
}

// ImageMagick's import, started as a Unix program: Wine gives no handle to wait on, so the
// picture is written under another name and renamed when complete.
void Screenshot(HWND dialog, const char* name) {
    if (gImport.empty() || dialog == nullptr) {
        return;
    }
    Sleep(500);  // time to paint
    RECT frame{};
    GetWindowRect(dialog, &frame);
    const std::string png = gShotFolder + "/" + name;
    char command[2048];
    std::snprintf(command, sizeof command,
                  "/bin/sh -c \"%s -window root -crop %ldx%ld+%ld+%ld +repage PNG:%s.part && mv "
                  "%s.part %s\"",
                  gImport.c_str(), frame.right - frame.left, frame.bottom - frame.top, frame.left,
                  frame.top, png.c_str(), png.c_str(), png.c_str());
    DeleteFileA(WindowsPath(png).c_str());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CHECK(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &process));
    for (int wait = 0;
         wait < 200 && GetFileAttributesA(WindowsPath(png).c_str()) == INVALID_FILE_ATTRIBUTES;
         ++wait) {
        Sleep(50);
    }
    CHECK(GetFileAttributesA(WindowsPath(png).c_str()) != INVALID_FILE_ATTRIBUTES);
}

// Shows a modal dialog on this thread while `work` drives it from another. Should `work` leave
// a dialog open, it is cancelled so that the run goes on.
template <typename Show, typename Work>
LRESULT WhileShown(Show show, Work work) {
    std::atomic<bool> shown{true};
    std::thread worker([&] {
        work();
        while (shown) {
            for (const char* caption : {"Choose application", "Choose Application",
                                        "Multiple selection", kYuvList, kConfigure, kAbout}) {
                if (HWND left = FindWindowA("#32770", caption)) {
                    PostMessageA(left, WM_COMMAND, IDCANCEL, 0);
                }
            }
            Sleep(200);
        }
    });
    const LRESULT result = show();
    shown = false;
    worker.join();
    return result;
}

std::string RegistryText(const char* key, const char* name) {
    char text[MAX_PATH] = "";
    DWORD size = sizeof text;
    RegGetValueA(HKEY_CLASSES_ROOT, key, name, RRF_RT_ANY, nullptr, text, &size);
    return text;
}

DWORD RegistryNumber(const char* key, const char* name) {
    DWORD value = 0xFFFFFFFF;
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CLASSES_ROOT, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

// The option bytes FiltrateAlpha, ChangeFieldsOrder and FastDCT of a codec's state.
std::string Flags(HIC codec) {
    BYTE state[12] = {};
    ICGetState(codec, state, sizeof state);
    return {char('0' + state[8]), char('0' + state[9]), char('0' + state[10])};
}

std::string FlagsOfANewCodec() {
    HIC codec = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_DECOMPRESS);
    const std::string flags = Flags(codec);
    ICClose(codec);
    return flags;
}

// The user's part: types, adds, removes and ticks, edits the restricted list, and confirms.
void EditAndConfirm(const std::string& viewer) {
    HWND dialog = WaitForDialog(kConfigure);
    CHECK(ListItems(dialog, 1014) == (Names{"CLIPDESK.EXE", "PREMIERE.EXE"}));
    CHECK(ItemText(dialog, 1001) == "&Add" && ItemText(dialog, 1002) == "&Remove" &&
          ItemText(dialog, 1016) == "&Browse" && ItemText(dialog, 3) == "Advanced");
    CHECK(!IsWindowVisible(GetDlgItem(dialog, 1008)));
    CHECK(IsDlgButtonChecked(dialog, 1003) && !IsDlgButtonChecked(dialog, 1018));
    Screenshot(dialog, "configure_dialog.png");
    Type(dialog, 1015, "c:\\apps\\Player.exe");
    Click(dialog, 1001);
    Type(dialog, 1015, "PLAYER.EXE");
    Click(dialog, 1001);
    CHECK(ItemText(dialog, 1015).empty());
    SendDlgItemMessageA(dialog, 1014, LB_SETCURSEL, 0, 0);
    Click(dialog, 1002);
    CHECK(ListItems(dialog, 1014) == (Names{"Player.exe", "PREMIERE.EXE"}));
    Check(dialog, 1003, false);
    Check(dialog, 1018, true);

    Click(dialog, 3, true);
    HWND list = WaitForDialog(kYuvList);
    CHECK(ListItems(list, 1015) == Names{"WMPLAYER.EXE"});
    Screenshot(list, "yuv_list_dialog.png");
    for (int pick = 0; pick < 2; ++pick) {
        Click(list, 3, true);
        PickFile("Choose application", viewer);
    }
    AnswerMessage("Multiple selection", "This file already selected");
    SendDlgItemMessageA(list, 1015, LB_SETCURSEL, 1, 0);  // WMPLAYER.EXE
    Click(list, 4);
    CHECK(ListItems(list, 1015) == Names{"VIEWER.EXE"});
    Close(list, IDOK);
    Close(dialog, IDOK);
}

void ConfigureAndConfirm(HIC codec, const std::string& viewer) {
    CHECK_EQ(
        WhileShown([&] { return ICConfigure(codec, nullptr); }, [&] { EditAndConfirm(viewer); }),
        1);
    CHECK(Flags(codec) == "110" && FlagsOfANewCodec() == "110");
    CHECK(RegistryText(kCodecKey, "App1") == "Player.exe");
    CHECK(RegistryText(kCodecKey, "App2") == "PREMIERE.EXE");
    CHECK_EQ(RegistryNumber(kCodecKey, "AppCount"), 2);
    CHECK_EQ(RegistryNumber(kCodecKey, "FastDCT"), 0);
    CHECK_EQ(RegistryNumber(kCodecKey, "ChangeFieldsOrder"), 1);
    CHECK(RegistryText(kYuvListKey, "Application00") == "VIEWER.EXE");
    CHECK(RegistryText(kYuvListKey, "Application01").empty());
}

// Browsing fills the edit box; a restricted list edited and cancelled stays as it was.
void BrowseAndConfirm(const std::string& viewer) {
    HWND dialog = WaitForDialog(kConfigure);
    Click(dialog, 1016, true);
    PickFile("Choose Application", viewer);
    CHECK(ItemText(dialog, 1015) == "viewer.exe");
    Click(dialog, 1001);
    Check(dialog, 1003, true);
    Click(dialog, 3, true);
    HWND list = WaitForDialog(kYuvList);
    SendDlgItemMessageA(list, 1015, LB_SETCURSEL, 0, 0);
    Click(list, 4);
    Close(list, IDCANCEL);
    Close(dialog, IDOK);
}

// The configuration-only open edits the options that new codecs start from.
void ConfigureDefaultsAndConfirm(const std::string& viewer) {
    const std::string narrow = host_test::ProgramFolder() + "qlnu.dll";
    HDRVR driver = OpenDriver(std::wstring(narrow.begin(), narrow.end()).c_str(), nullptr, 0);
    CHECK(driver != nullptr);
    CHECK_EQ(WhileShown([&] { return SendDriverMessage(driver, DRV_CONFIGURE, 0, 0); },
                        [&] { BrowseAndConfirm(viewer); }),
             1);
    CloseDriver(driver, 0, 0);
    CHECK(FlagsOfANewCodec() == "111");
    CHECK(RegistryText(kCodecKey, "App3") == "viewer.exe");
    CHECK(RegistryText(kYuvListKey, "Application00") == "VIEWER.EXE");
}

void ConfigureAndCancel(HIC codec) {
    const auto removeAndCancel = [] {
        HWND dialog = WaitForDialog(kConfigure);
        Check(dialog, 1018, false);
        Click(dialog, 1002);
        Close(dialog, IDCANCEL);
    };
    CHECK_EQ(WhileShown([&] { return ICConfigure(codec, nullptr); }, removeAndCancel), 0);
    CHECK(Flags(codec) == "110");
    CHECK_EQ(RegistryNumber(kCodecKey, "AppCount"), 3);
}

// The about text of a codec, which closes with Escape.
std::string AboutText(HIC codec, const char* screenshot) {
    std::string text;
    const LRESULT result = WhileShown([&] { return ICAbout(codec, nullptr); },
                                      [&] {
                                          HWND dialog = WaitForDialog(kAbout);
                                          text = ItemText(dialog, 1017);
                                          if (screenshot != nullptr) {
                                              Screenshot(dialog, screenshot);
                                          }
                                          Click(dialog, IDCANCEL, true);
                                      });
    CHECK_EQ(result, 0);
    return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A copy of the DLL whose version block names German instead of US English.
std::string UntranslatedCopy() {
    const std::string copy = host_test::ProgramFolder() + "qlnu_untranslated.dll";
    std::ifstream in(host_test::ProgramFolder() + "qlnu.dll", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string key("T\0r\0a\0n\0s\0l\0a\0t\0i\0o\0n\0", 22);
    const auto value = bytes.find(std::string("\x09\x04\xB0\x04", 4), bytes.find(key));
    CHECK(value != std::string::npos);
    if (value != std::string::npos) {
        bytes[value] = 0x07;
    }
    std::ofstream(copy, std::ios::binary) << bytes;
    return copy;
}

void CheckAboutTexts(HIC codec) {
    const std::string text = AboutText(codec, "about_dialog.png");
    CHECK(text.rfind("Telvik Uncompressed\n\nCodec works via manager Video For Windows", 0) == 0);
    CHECK(EndsWith(text, "\n\nBuild: 1 August 2003"));

    const std::string copy = UntranslatedCopy();
    CHECK(ICInstall(ICTYPE_VIDEO, kUntranslatedCopy, reinterpret_cast<LPARAM>(copy.c_str()),
                    nullptr, ICINSTALL_DRIVER));
    HIC untranslated = ICOpen(ICTYPE_VIDEO, kUntranslatedCopy, ICMODE_QUERY);
    CHECK(untranslated != nullptr);
    CHECK(EndsWith(AboutText(untranslated, nullptr), "\n\nBuild: not available."));
    ICClose(untranslated);
    ICRemove(ICTYPE_VIDEO, kUntranslatedCopy, 0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3) {
        gShotFolder = argv[1];
        gImport = argv[2];
        // Xvfb runs no window manager: Wine draws the captions and frames itself.
        RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", "Managed", REG_SZ, "N",
                        2);
    }
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kCodecKey);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kYuvListKey);
    const std::string viewer = host_test::ProgramFolder() + "viewer.exe";
    std::ofstream(viewer) << "MZ";
    CHECK(host_test::InstallDriver());
    HIC codec = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_COMPRESS);
    CHECK(codec != nullptr && Flags(codec) == "101");
    ConfigureAndConfirm(codec, viewer);
    ConfigureDefaultsAndConfirm(viewer);
    ConfigureAndCancel(codec);
    CheckAboutTexts(codec);
    ICClose(codec);
    CHECK(host_test::RemoveDriver());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kCodecKey);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kYuvListKey);
    return host_test::Finish();
}
