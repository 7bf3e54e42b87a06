#!/usr/bin/env bash
# check_old_windows.sh OBJDUMP DLL ALLOWED
#
# Fails unless the 32-bit DLL would load and work on every Windows it names, from Windows 95 and
# NT 4.0 up:
# - every function it imports is in ALLOWED, a list of functions those systems already had,
#   under a [DLL] line for each DLL (names compare without regard to case); every import
#   outside the list is printed as DLL!function;
# - its subsystem version is at most 4.0, above which their loaders refuse an image;
# - it has no thread-local storage directory, which a DLL loaded by LoadLibrary does not get
#   before Windows Vista;
# - the system calls its exception handlers, on which the fault guards rest: the image is not
#   marked NO_SEH and has no load configuration (whose table of safe handlers would have to list
#   them). Wine calls them either way, so only this check would notice.
set -euo pipefail
objdump=$1 dll=$2 allowed=$3

headers=$("$objdump" -p "$dll")
failed=0

outside=$(LC_ALL=C awk -v allowed="$allowed" '
BEGIN {
    while ((getline line < allowed) > 0) {
        sub(/[ \t\r]*(#.*)?$/, "", line)
        if (line ~ /^\[.+\]$/) { library = toupper(substr(line, 2, length(line) - 2)); continue }
        if (line != "") permitted[library "!" line] = 1
    }
}
/^\tDLL Name: / { library = toupper($3); next }
/^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ && library != "" {
    if (!((library "!" $3) in permitted)) print library "!" $3
    next
}
/^$/ { library = "" }
' <<<"$headers")
if [ -n "$outside" ]; then
  echo "$dll imports functions outside $allowed:"
  sed 's/^/  /' <<<"$outside"
  failed=1
fi

subsystem=$(awk '/^MajorSubsystemVersion/ { major = $2 } /^MinorSubsystemVersion/ { minor = $2 }
                 END { print major "." minor }' <<<"$headers")
if [ "$subsystem" != "4.0" ] && [ "${subsystem%%.*}" -ge 4 ]; then
  echo "$dll has subsystem version $subsystem; Windows 95 and NT 4.0 load 4.0 at most"
  failed=1
fi
if grep -Eq '^Entry 9 0*[1-9a-f][0-9a-f]* ' <<<"$headers"; then
  echo "$dll has a thread-local storage directory, which LoadLibrary ignores before Windows Vista"
  failed=1
fi

if grep -Eq '^[[:space:]]+NO_SEH' <<<"$headers"; then
  echo "$dll is marked NO_SEH: the system would not call the fault guards' handlers"
  failed=1
fi
if grep -Eq '^Entry a 0*[1-9a-f][0-9a-f]* ' <<<"$headers"; then
  echo "$dll has a load configuration, whose safe-handler table would have to list the guards' handler"
  failed=1
fi

[ $failed -eq 0 ] &&
  echo "$dll: every import is allowed; subsystem $subsystem; no TLS directory; exception handlers allowed"
exit $failed
