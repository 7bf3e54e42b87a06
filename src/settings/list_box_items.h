// A dialog's list box as the list rules see it.
#pragma once

#include "settings/app_list_rules.h"

class ListBoxItems final : public AppListItems {
public:
    ListBoxItems(HWND dialog, int listBoxId) : listBox_(GetDlgItem(dialog, listBoxId)) {}

    int Count() const override;
    void Text(int index, LPSTR buffer, int size) const override;
    int Add(LPCSTR name) override;
    void Delete(int index) override;
    int Selected() const override;
    void Select(int index) override;

private:
    int Send(UINT message, WPARAM wParam, LPARAM lParam) const;

    HWND listBox_;
};
