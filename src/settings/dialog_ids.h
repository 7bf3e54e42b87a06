/* The numbers of the driver's dialogs, bitmaps and controls, shared by the resource script and
   the dialog procedures. Read by the resource compiler's preprocessor too: plain macros only. */
#ifndef QLNU_SETTINGS_DIALOG_IDS_H
#define QLNU_SETTINGS_DIALOG_IDS_H

#define IDD_CONFIGURE 101
#define IDD_ABOUT 102
#define IDD_YUV_LIST 105

#define IDB_CONFIGURE_BANNER 101
#define IDB_ABOUT_BANNER 103

/* Frames, labels and banners that the code never addresses */
#define IDC_STATIC -1

/* Configuration dialog */
#define IDC_ADVANCED 3
#define IDC_ADD 1001
#define IDC_REMOVE 1002
#define IDC_FAST_DCT 1003
#define IDC_BANNER 1006
#define IDC_DONT_FILTER_ALPHA 1008
#define IDC_FULL_SCREEN_LIST 1014
#define IDC_NAME_EDIT 1015
#define IDC_BROWSE 1016
#define IDC_CHANGE_FIELDS_ORDER 1018

/* YUV-restricted list dialog */
#define IDC_PICK 3
#define IDC_DELETE 4
#define IDC_YUV_LIST 1015

/* About dialog */
#define IDC_ABOUT_TEXT 1017

#endif
