#!/usr/bin/env bash
# qlnu.inf under wine64: it installs both DLLs and the vidc.QLNU entries of both registry views,
# after which a program finds the driver without ICInstall; it leaves another driver's entry
# alone; the uninstall it registers removes what it added, and the driver is no longer found.
#   installer_test.sh WINE_RUN PREFIX INF DLL64 DLL32 PROBE_EXE WORK_FOLDER
# The 32-bit DLL is only copied here (there is no 32-bit Wine); a stand-in takes its place when
# the win32 preset has not been built.
set -euo pipefail
wine_run=$1 prefix=$2 inf=$3 dll64=$4 dll32=$5 probe=$6 work=$7
wine() { "$wine_run" --prefix "$prefix" "$@"; }
fail() { echo "FAILED: $*"; failed=1; }
failed=0

rm -rf "$work" && mkdir -p "$work/package"
cp "$inf" "$work/package/qlnu.inf"
cp "$dll64" "$work/package/qlnu64.dll"
if [ -f "$dll32" ]; then cp "$dll32" "$work/package/qlnu32.dll"; else echo stand-in >"$work/package/qlnu32.dll"; fi
# The probe runs from a folder without a qlnu.dll beside it, so only an installed one is found.
cp "$probe" "$work/probe.exe"
windows_inf="Z:${work//\//\\}\\package\\qlnu.inf"
setup() { wine rundll32 setupapi,InstallHinfSection "$1" 132 "$windows_inf"; }
system="$prefix/drive_c/windows"
drivers='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32'
entry() { wine reg query "$drivers" /v vidc.QLNU "$@" 2>/dev/null | tr -d '\r' | grep -o 'REG_SZ.*' || true; }

wine "$work/probe.exe" removed >/dev/null || fail "the driver is found before the install"

wine reg add "$drivers" /v vidc.QLNU /d other.dll /f >/dev/null
setup DefaultInstall
[ "$(entry)" = "REG_SZ    other.dll" ] || fail "another driver's entry was replaced: $(entry)"
setup DefaultUninstall
wine reg delete "$drivers" /v vidc.QLNU /f >/dev/null 2>&1 || true

setup DefaultInstall
cmp -s "$dll64" "$system/system32/qlnu.dll" || fail "system32\\qlnu.dll is not the 64-bit DLL"
cmp -s "$work/package/qlnu32.dll" "$system/syswow64/qlnu.dll" ||
  fail "syswow64\\qlnu.dll is not the 32-bit DLL"
for view in 64 32; do
  [ "$(entry /reg:$view)" = "REG_SZ    qlnu.dll" ] || fail "no vidc.QLNU in the $view-bit view"
done
wine "$work/probe.exe" installed || fail "a fresh program does not find the installed driver"

# The uninstall as the list of installed programs runs it.
programs='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\QLNU'
uninstall=$(wine reg query "$programs" /v UninstallString | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
[ -n "$uninstall" ] || fail "no entry in the list of installed programs"
# shellcheck disable=SC2086 # the command line is split into words as Windows splits it
wine $uninstall
for file in system32/qlnu.dll syswow64/qlnu.dll inf/qlnu.inf; do
  [ ! -e "$system/$file" ] || fail "$file is left after the uninstall"
done
for view in 64 32; do
  [ -z "$(entry /reg:$view)" ] || fail "vidc.QLNU is left in the $view-bit view"
done
wine reg query "$programs" >/dev/null 2>&1 && fail "the entry in the installed programs is left"
wine "$work/probe.exe" removed || fail "the driver is still found after the uninstall"
[ $failed -eq 0 ] && echo "install and uninstall passed"
exit $failed
