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

// Keeps items in the order they come, as an unsorted list box does.
struct ListItems final : AppListItems {
    Names items;
    int selected = -1;

    int Count() const override { return static_cast<int>(items.size()); }
    void Text(int index, LPSTR buffer, int size) const override {
        std::snprintf(buffer, static_cast<std::size_t>(size), "%s",
                      items[static_cast<std::size_t>(index)].c_str());
    }
    int Add(LPCSTR name) override {
        items.emplace_back(name);
        return Count() - 1;
    }
    void Delete(int index) override { items.erase(items.begin() + index); }
    int Selected() const override { return selected; }
    void Select(int index) override { selected = index < Count() ? index : -1; }
};

using AppListRulesTest = EmptyRegistryTest;

TEST(AppListRules, TypedNamesAreAddedByFileNameOnceInAnyCase) {
    const struct {
        const char* typed;
        Names before;
        Names after;
        int selected;
    } kCases[] = {
        {"c:\\apps\\Player.exe", {"A.EXE"}, {"A.EXE", "Player.exe"}, 1},
        {"PLAYER.EXE", {"Player.exe"}, {"Player.exe"}, -1},
        {"d:/tools/cut.exe", {}, {"cut.exe"}, 0},
        {"e:Drive.exe", {}, {"Drive.exe"}, 0},
        {"c:\\apps\\", {}, {}, -1},
        {"", {}, {}, -1},
    };
    std::memset(FullScreenApps, 0, sizeof FullScreenApps);
    for (const auto& c : kCases) {
        ListItems list;
        list.items = c.before;
        AddTypedFullScreenApp(list, c.typed);
        EXPECT_EQ(list.items, c.after) << c.typed;
        EXPECT_EQ(list.selected, c.selected) << c.typed;
    }
    // Nothing reaches the driver's list before OK.
    EXPECT_TRUE(ListedNames(FullScreenApps).empty());
}

TEST(AppListRules, DeletingSelectsTheItemThatTookThePlace) {
    const struct {
        int selected;
        Names left;
        int fullScreenSelection;
        int yuvSelection;
    } kCases[] = {
        {0, {"B", "C"}, 0, 0},
        {1, {"A", "C"}, 1, 1},
        {2, {"A", "B"}, 1, -1},
        {-1, {"A", "B", "C"}, -1, -1},
    };
    for (const auto& c : kCases) {
        ListItems fullScreen;
        fullScreen.items = {"A", "B", "C"};
        fullScreen.selected = c.selected;
        ListItems yuv = fullScreen;
        RemoveSelectedFullScreenApp(fullScreen);
        DeleteSelectedYuvRestrictedApp(yuv);
        EXPECT_EQ(fullScreen.items, c.left) << c.selected;
        EXPECT_EQ(yuv.items, c.left) << c.selected;
        EXPECT_EQ(fullScreen.selected, c.fullScreenSelection) << c.selected;
        EXPECT_EQ(yuv.selected, c.yuvSelection) << c.selected;
    }
}

TEST_F(AppListRulesTest, ConfigurationOkStoresSixteenNamesAndTheFlagsEverywhere) {
    WriteDefaultSettings();
    std::strcpy(FullScreenApps[2], "GAP.EXE");
    ListItems list;
    ListFullScreenApps(list);
    EXPECT_EQ(list.items, (Names{"PREMIERE.EXE", "CLIPDESK.EXE", "GAP.EXE"}));
    EXPECT_EQ(list.selected, 0);

    list.items = NumberedNames(17);
    for (const bool dontFilterAlpha : {false, true}) {
        CodecState state = kFactoryCodecState;
        state.FiltrateAlpha = 0;
        DefaultCodecState = kFactoryCodecState;
        ConfirmConfiguration(list, {false, true, dontFilterAlpha}, state);
        for (const CodecState& record : {state, DefaultCodecState}) {
            EXPECT_EQ(record.FiltrateAlpha, dontFilterAlpha ? 0 : 1);
            EXPECT_EQ(record.ChangeFieldsOrder, 1);
            EXPECT_EQ(record.FastDCT, 0);
        }
        EXPECT_EQ(GetValue(kCodecKey, "FiltrateAlpha").Dword(), dontFilterAlpha ? 0u : 1u);
    }
    EXPECT_EQ(ListedNames(FullScreenApps), NumberedNames(16));
    EXPECT_EQ(GetValue(kCodecKey, "AppCount").Dword(), 16u);
    EXPECT_EQ(GetValue(kCodecKey, "App16").Bytes(), WithZero("15.EXE"));
    EXPECT_EQ(GetValue(kCodecKey, "ChangeFieldsOrder").Dword(), 1u);

    list.items = {"ONLY.EXE"};
    CodecState state = DefaultCodecState;
    ConfirmConfiguration(list, {true, false, false}, state);
    EXPECT_EQ(ListedNames(FullScreenApps), Names{"ONLY.EXE"});
}

TEST_F(AppListRulesTest, PickedNamesAreUpperCasedAndRefusedWhenListedOrTooMany) {
    std::memset(YuvRestrictedApps, 0, sizeof YuvRestrictedApps);
    std::strcpy(YuvRestrictedApps[0], "WMPLAYER.EXE");
    std::strcpy(YuvRestrictedApps[2], "AFTER.GAP");
    ListItems list;
    ListYuvRestrictedApps(list);
    EXPECT_EQ(list.items, Names{"WMPLAYER.EXE"});

    char picked[kYuvRestrictedAppNameSize] = "Viewer.exe";
    EXPECT_EQ(AddPickedYuvRestrictedApp(list, picked), nullptr);
    std::strcpy(picked, "wmplayer.exe");
    const Refusal* listed = AddPickedYuvRestrictedApp(list, picked);
    ASSERT_NE(listed, nullptr);
    EXPECT_STREQ(listed->text, "This file already selected");
    EXPECT_STREQ(listed->caption, "Multiple selection");
    EXPECT_EQ(list.items, (Names{"WMPLAYER.EXE", "VIEWER.EXE"}));
    EXPECT_EQ(YuvRestrictedApps[1][0], '\0');

    list.items = NumberedNames(16);
    std::strcpy(picked, "15.exe");
    EXPECT_EQ(AddPickedYuvRestrictedApp(list, picked), listed);
    std::strcpy(picked, "16.exe");
    const Refusal* full = AddPickedYuvRestrictedApp(list, picked);
    ASSERT_NE(full, nullptr);
    EXPECT_STREQ(full->text, "Maximum application number is reached");
    EXPECT_STREQ(full->caption, "Maximum selection");
    EXPECT_EQ(list.items, NumberedNames(16));

    list.items.pop_back();
    EXPECT_EQ(AddPickedYuvRestrictedApp(list, picked), nullptr);
    list.items = {"B.EXE", "A.EXE"};
    ConfirmYuvRestrictedApps(list);
    EXPECT_EQ(ListedNames(YuvRestrictedApps), (Names{"B.EXE", "A.EXE"}));
    EXPECT_EQ(GetValue(kYuvListKey, "Application01").Bytes(), WithZero("A.EXE"));
    EXPECT_EQ(GetValue(kYuvListKey, "Correct state").Dword(), 1u);
}

}  // namespace
