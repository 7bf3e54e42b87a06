// What the buttons of the configuration dialog and of the YUV-restricted list dialog do to their
// lists and flags, kept apart from the windows so that it runs and is tested without them. The
// dialog procedures only move text and check marks between their controls and these functions.
#pragma once

#include "common/codec_state.h"
#include "platform/win_api.h"

// The items of a dialog's list box, as the rules see them: text by index and one selection.
class AppListItems {
public:
    virtual int Count() const = 0;
    // Copies item `index` into a buffer of `size` bytes; an item too long for it reads as empty.
    virtual void Text(int index, LPSTR buffer, int size) const = 0;
    // Adds a name where the list keeps it (a sorted list box sorts it in) and answers its index.
    virtual int Add(LPCSTR name) = 0;
    virtual void Delete(int index) = 0;
    // The selected index, or -1 when nothing is selected.
    virtual int Selected() const = 0;
    // Selects `index`; an index outside the list leaves nothing selected.
    virtual void Select(int index) = 0;

protected:
    ~AppListItems() = default;
};

// The check boxes of the configuration dialog.
struct ConfigureChecks {
    bool fastDct;
    bool changeFieldsOrder;
    bool dontFilterAlpha;
};

// A refusal the user is told of in a message box with the stop icon.
struct Refusal {
    LPCSTR text;
    LPCSTR caption;
};

// Configuration dialog: the full-screen applications.

// Lists every name in use, wherever its slot, and selects the first item.
void ListFullScreenApps(AppListItems& list);
// Adds the file name of a typed path (what follows its last backslash, slash or colon) and
// selects it, unless the list holds it already in any case.
void AddTypedFullScreenApp(AppListItems& list, LPCSTR typed);
// Deletes the selected item and selects the one that took its place, or the new last item.
void RemoveSelectedFullScreenApp(AppListItems& list);
// OK: the checks go into the edited record and into the driver-wide one, the first 16 items in
// list order into FullScreenApps, and both into the registry. FiltrateAlpha is set unless
// "Don't filter alpha" is checked.
void ConfirmConfiguration(const AppListItems& list, const ConfigureChecks& checks,
                          CodecState& state);

// List dialog: the YUV-restricted applications.

// Lists the names up to the first empty entry.
void ListYuvRestrictedApps(AppListItems& list);
// Upper-cases a picked file name in place and adds it, unless it is listed already or the list
// is full: then the answer is what to tell the user, and nothing is added.
const Refusal* AddPickedYuvRestrictedApp(AppListItems& list, LPSTR fileTitle);
// Deletes the selected item and selects the one that took its place; none after the last.
void DeleteSelectedYuvRestrictedApp(AppListItems& list);
// OK: the items in list order replace YuvRestrictedApps, which is saved.
void ConfirmYuvRestrictedApps(const AppListItems& list);
