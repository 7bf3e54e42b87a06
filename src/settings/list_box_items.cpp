#include "settings/list_box_items.h"

int ListBoxItems::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return static_cast<int>(SendMessageA(listBox_, message, wParam, lParam));
}

int ListBoxItems::Count() const {
    return Send(LB_GETCOUNT, 0, 0);
}

void ListBoxItems::Text(int index, LPSTR buffer, int size) const {
    // LB_GETTEXT knows no buffer size, so the length is asked first.
    const int length = Send(LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    buffer[0] = '\0';
    if (length >= 0 && length < size) {
        Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    }
}

int ListBoxItems::Add(LPCSTR name) {
    return Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
}

void ListBoxItems::Delete(int index) {
    Send(LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

int ListBoxItems::Selected() const {
    return Send(LB_GETCURSEL, 0, 0);
}

void ListBoxItems::Select(int index) {
    // An index past the end leaves nothing selected.
    Send(LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}
