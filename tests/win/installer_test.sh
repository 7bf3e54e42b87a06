#!/usr/bin/env bash
# qlnu.inf from the package, under Wine: it installs the driver and the vidc.QLNU entries after
# which programs find it without ICInstall; it leaves another driver's entry alone; the
# uninstall it registers removes what it added, and programs no longer find the driver.
#   installer_test.sh WINE_RUN PREFIX PACKAGE WORK_FOLDER PROBE...
# In a 64-bit prefix (64-bit Windows) System32\qlnu.dll must be qlnu64.dll and SysWOW64\qlnu.dll
# qlnu32.dll, with an entry in each registry view; in a 32-bit prefix System32\qlnu.dll must be
# qlnu32.dll. Each PROBE, a build of installed_host.cpp (a 32-bit and a 64-bit one in a 64-bit
# prefix), must open the installed driver and compress and decompress a frame through it.
set -euo pipefail
wine_run=$1 prefix=$2 package=$3 work=$4
shift 4
probes=("$@")
wine() { "$wine_run" --prefix "$prefix" "$@"; }
fail() { echo "FAILED: $*"; failed=1; }
failed=0

system="$prefix/drive_c/windows"
if [ -d "$system/syswow64" ]; then
  installed=("system32/qlnu.dll:qlnu64.dll" "syswow64/qlnu.dll:qlnu32.dll")
  views=(64 32)
else
  installed=("system32/qlnu.dll:qlnu32.dll")
  views=("")
fi

rm -rf "$work" && mkdir -p "$work"
# The probes run from a folder without a qlnu.dll beside them, so only an installed one is found.
for i in "${!probes[@]}"; do
  cp "${probes[$i]}" "$work/probe$i.exe"
done
probe() {
  local i
  for i in "${!probes[@]}"; do
    wine "$work/probe$i.exe" "$1" || fail "probe $i (${probes[$i]}): $2"
  done
}
windows_inf="Z:${package//\//\\}\\qlnu.inf"
setup() { wine rundll32 setupapi,InstallHinfSection "$1" 132 "$windows_inf"; }
drivers='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32'
entry() {
  wine reg query "$drivers" /v vidc.QLNU ${1:+/reg:$1} 2>/dev/null | tr -d '\r' |
    grep -o 'REG_SZ.*' || true
}

probe removed "the driver is found before the install"

wine reg add "$drivers" /v vidc.QLNU /d other.dll /f >/dev/null
setup DefaultInstall
[ "$(entry)" = "REG_SZ    other.dll" ] || fail "another driver's entry was replaced: $(entry)"
setup DefaultUninstall
wine reg delete "$drivers" /v vidc.QLNU /f >/dev/null 2>&1 || true

setup DefaultInstall
for pair in "${installed[@]}"; do
  cmp -s "$package/${pair#*:}" "$system/${pair%%:*}" || fail "${pair%%:*} is not ${pair#*:}"
done
for view in "${views[@]}"; do
  [ "$(entry "$view")" = "REG_SZ    qlnu.dll" ] || fail "no vidc.QLNU in the registry view ${view:-of the system}"
done
probe installed "does not code a frame through the installed driver"

# The uninstall as the list of installed programs runs it.
programs='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\QLNU'
uninstall=$(wine reg query "$programs" /v UninstallString | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
[ -n "$uninstall" ] || fail "no entry in the list of installed programs"
# shellcheck disable=SC2086 # the command line is split into words as Windows splits it
wine $uninstall
for pair in "${installed[@]}" inf/qlnu.inf:; do
  [ ! -e "$system/${pair%%:*}" ] || fail "${pair%%:*} is left after the uninstall"
done
for view in "${views[@]}"; do
  [ -z "$(entry "$view")" ] || fail "vidc.QLNU is left in the registry view ${view:-of the system}"
done
wine reg query "$programs" >/dev/null 2>&1 && fail "the entry in the installed programs is left"
probe removed "the driver is still found after the uninstall"
[ $failed -eq 0 ] && echo "install and uninstall passed"
exit $failed
