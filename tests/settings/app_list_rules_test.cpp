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

// Keeps items in the order they come, as an unsorted list box does; deleting an item drops the
// selection, as the list box does.
struct ListItems final : AppListItems {
    Names items;
    int selected = -1;

    int Count() const override { return static_cast<int>(items.size()); }
    void Text(int index, LPSTR buffer, int size) const override {
        std::snprintf(buffer, static_cast<std::size_t>(size), "%s", items.at(index).c_str());
    }
    int Add(LPCSTR name) override {
        items.emplace_back(name);
        return Count() - 1;
    }
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
    const struct {
        const char* typed;
        Names after;  // from {"Player.exe"}
    } kCases[] = {
        {"d:/tools/Cut.exe", {"Player.exe", "Cut.exe"}},
        {"e:Drive.exe", {"Player.exe", "Drive.exe"}},
        {"c:\\apps\\PLAYER.EXE", {"Player.exe"}},
        {"c:\\apps\\", {"Player.exe"}},
    };
    for (const auto& c : kCases) {
        ListItems list;
        list.items = {"Player.exe"};
        AddTypedFullScreenApp(list, c.typed);
        EXPECT_EQ(list.items, c.after) << c.typed;
        EXPECT_EQ(list.selected, c.after.size() == 2 ? 1 : -1) << c.typed;
    }
}

TEST(AppListRules, DeletingSelectsTheItemThatTookThePlace) {
    const struct {
        int selected;
        Names left;
        int fullScreenSelection;
        int yuvSelection;
    } kCases[] = {{0, {"B", "C"}, 0, 0}, {2, {"A", "B"}, 1, -1}, {-1, {"A", "B", "C"}, -1, -1}};
    for (const auto& c : kCases) {
        ListItems fullScreen;
        fullScreen.items = {"A", "B", "C"};
        fullScreen.selected = c.selected;
        ListItems yuv = fullScreen;
        RemoveSelectedFullScreenApp(fullScreen);
        DeleteSelectedYuvRestrictedApp(yuv);
        EXPECT_EQ(fullScreen.items, c.left) << c.selected;
        EXPECT_EQ(fullScreen.selected, c.fullScreenSelection) << c.selected;
        EXPECT_EQ(yuv.selected, c.yuvSelection) << c.selected;
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
