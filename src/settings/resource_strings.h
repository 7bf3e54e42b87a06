/* The driver's string table, in one list for the resource script and the POSIX build, so the
   two cannot drift. ANSI text in the Windows-1252 code page ("\231" is the trade mark sign).
   This file is read by the resource compiler's preprocessor too: plain macros only. */
#ifndef QLNU_SETTINGS_RESOURCE_STRINGS_H
#define QLNU_SETTINGS_RESOURCE_STRINGS_H

#define IDS_QLNT_DESCRIPTION 1
#define IDS_QLNT_NAME 2
#define IDS_QLND_DESCRIPTION 3
#define IDS_QLND_NAME 4
#define IDS_QLNU_DESCRIPTION 5
#define IDS_QLNU_NAME 6
#define IDS_ABOUT_TEXT 7
#define IDS_BUILD 8

#define QLNU_STRING_TABLE(ENTRY)                                             \
    ENTRY(IDS_QLNT_DESCRIPTION, "Telvik JPEG + Alpha")                       \
    ENTRY(IDS_QLNT_NAME, "QLNT")                                             \
    ENTRY(IDS_QLND_DESCRIPTION, "Telvik JPEG")                               \
    ENTRY(IDS_QLND_NAME, "QLND")                                             \
    ENTRY(IDS_QLNU_DESCRIPTION, "Telvik Uncompressed")                       \
    ENTRY(IDS_QLNU_NAME, "QLNU")                                             \
    ENTRY(IDS_ABOUT_TEXT,                                                    \
          "Codec works via manager Video For Windows\nwith OS Windows "      \
          "95/98/ME/NT/2k/XP.\nThis codec is a part of software suite for\n" \
          "Quillon\231 video board\nand can play video  on this board.\n\n"  \
          "www.telvik.example")                                              \
    ENTRY(IDS_BUILD, "Build")

#endif
