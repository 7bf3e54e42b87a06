// What the dialogs' buttons do to the lists and flags, on a list that stands in for the list box.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "settings/app_list_rules.h"
#include "settings/registry_values.h"
#include "settings/settings_store.h"
#include "settings/yuv_restricted_apps.h"

namespace {

using Names = std::vector<std::string>;

// Keeps items in the order they come and drops the selection on delete, as unsorted list boxes do.
struct ListItems final : AppListItems {
    Names items;
    int selected = -1;

    int Count() const override { return static_cast<int>(items.size()); }
    void Text(int index, LPSTR buffer, int size) const override {
        std::snprintf(buffer, static_cast<std::size_t>(size), "%s", items.at(index).c_str());
    }
    int Add(LPCSTR name) override { return (items.emplace_back(name), Count() - 1); }
    void Delete(int index) override {
        items.erase(items.begin() + index);
        selected = -1;
    }
    int Selected() const override { return selected; }
    void Select(int index) override { selected = index < Count() ? index : -1; }
};

// FiltrateAlpha, ChangeFieldsOrder and FastDCT.
std::string Flags(const CodecState& state) {
    return {char('0' + state.FiltrateAlpha), char('0' + state.ChangeFieldsOrder),
            char('0' + state.FastDCT)};
}

TEST(AppListRules, TypedPathsAddTheirFileNameOnceInAnyCase) {
    const char* kTypedAndAdded[][2] = {{"d:/tools/Cut.exe", "Cut.exe"},
                                       {"e:Drive.exe", "Drive.exe"},
                                       {"c:\\apps\\PLAYER.EXE", ""},
                                       {"c:\\apps\\", ""}};
    for (const auto& [typed, added] : kTypedAndAdded) {
        ListItems list;
        list.items = {"Player.exe"};
        AddTypedFullScreenApp(list, typed);
        EXPECT_EQ(list.items, (*added ? Names{"Player.exe", added} : Names{"Player.exe"})) << typed;
        EXPECT_EQ(list.selected, *added ? 1 : -1) << typed;
    }
}

TEST(AppListRules, DeletingSelectsTheItemThatTookThePlace) {
    // The selection before, and after in the full-screen list and in the YUV-restricted list.
    const int kSelections[][3] = {{0, 0, 0}, {1, 1, 1}, {2, 1, -1}, {-1, -1, -1}};
    for (const auto& [before, fullScreenAfter, yuvAfter] : kSelections) {
        ListItems fullScreen;
        fullScreen.items = {"A", "B", "C"};
        fullScreen.selected = before;
        ListItems yuv = fullScreen;
        RemoveSelectedFullScreenApp(fullScreen);
        DeleteSelectedYuvRestrictedApp(yuv);
        EXPECT_EQ(fullScreen.items.size(), before < 0 ? 3u : 2u) << before;
        EXPECT_EQ(fullScreen.selected, fullScreenAfter) << before;
        EXPECT_EQ(yuv.selected, yuvAfter) << before;
    }
}

using AppListRulesTest = EmptyRegistryTest;

TEST_F(AppListRulesTest, ConfigurationOkStoresSixteenNamesInListOrderAndSetsFiltrateAlpha) {
    WriteDefaultSettings();
    ListItems list;
    list.items = NumberedNames(17);
    CodecState state = {0, 0, 0, 0, 0, 0};
    ConfirmConfiguration(list, {true, false, false}, state);
    EXPECT_EQ(Flags(state) + " " + Flags(DefaultCodecState), "101 101");
    EXPECT_EQ(ListedNames(FullScreenApps), NumberedNames(16));

    list.items = {"ONLY.EXE"};
    ConfirmConfiguration(list, {false, true, true}, state);
    EXPECT_EQ(Flags(state) + " " + Flags(DefaultCodecState), "010 010");
    EXPECT_EQ(ListedNames(FullScreenApps), Names{"ONLY.EXE"});
}

TEST_F(AppListRulesTest, PickedNamesAreUpperCasedAndRefusedWhenListedOrTooMany) {
    std::memset(YuvRestrictedApps, 0, sizeof YuvRestrictedApps);
    std::strcpy(YuvRestrictedApps[0], "A.EXE");
    std::strcpy(YuvRestrictedApps[2], "AFTER.GAP");
    ListItems list;
    ListYuvRestrictedApps(list);
    list.items.push_back("viewer.exe");  // compared as it is: not the picked name upper-cased
    char picked[kYuvRestrictedAppNameSize] = "Viewer.exe";
    EXPECT_EQ(AddPickedYuvRestrictedApp(list, picked), nullptr);
    EXPECT_EQ(list.items, (Names{"A.EXE", "viewer.exe", "VIEWER.EXE"}));

    list.items = NumberedNames(16);
    for (const char* name : {"0.exe", "16.exe"}) {
        const Refusal* refusal = AddPickedYuvRestrictedApp(list, std::strcpy(picked, name));
        ASSERT_NE(refusal, nullptr);
        EXPECT_EQ(std::string(refusal->caption) + ": " + refusal->text,
                  name[0] == '0' ? "Multiple selection: This file already selected"
                                 : "Maximum selection: Maximum application number is reached");
    }
    EXPECT_EQ(list.items, NumberedNames(16));
}

}  // namespace
