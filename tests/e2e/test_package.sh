#!/usr/bin/env bash
# The release as an administrator reads and deploys it: the zip's files and sums, times that are not
# the clock's, and the installer package installed, upgraded and removed silently in a Wine prefix
# of the test's own.
source "$(dirname "$0")/lib.sh"

package=$ROOT/build/package
zip=$(echo "$package"/zorvane-*-windows.zip) msi=${zip%-windows.zip}.msi
[ -f "$zip" ] && [ -f "$msi" ] || fail "no package: run through ./zorvane test"
listed() { unzip -Z1 "$zip" | grep -v '^SHA256SUMS$' | LC_ALL=C sort | tr '\n' ' '; }
check "the zip holds the programs, the templates, the licence and a README for Windows" same "$(listed)" \
  "LICENSE.txt README.txt ZORVANE.EXE policy/Zorvane.admx policy/en-US/Zorvane.adml x86_64/ZORVANE.EXE "
check "SHA256SUMS names every other file of the zip" same "$(unzip -p "$zip" SHA256SUMS | cut -c67- | tr '\n' ' ')" "$(listed)"
# Times are the commit's, not the clock's: packed two days later, every byte is the same.
later=$BUILD/package-later
rm -rf "$later" && mkdir -p "$later"
faketime -f +2d "$ROOT/scripts/package.sh" --pack "$later" 2>/dev/null
for f in "$package"/*; do check "packed two days later, $(basename "$f") is the same" cmp "$f" "$later/${f##*/}"; done

prefix=$BUILD/package-prefix
MSI() { WINEPREFIX=$prefix "$(wine_loader x86_64)" "$@" 2>/dev/null </dev/null | tr -d '\r'; }
trap 'on_exit; WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
rm -rf "$prefix"  # fresh: what a package leaves behind shows
(export WINEPREFIX=$prefix; "$(wine_loader x86_64)" wineboot -i && /usr/lib/wine/wineserver -w) </dev/null &>/dev/null
property() { msiinfo export "$2" Property | sed -n "s/^$1\t//p" | tr -d '\r'; }
code=$(property ProductCode "$msi") version=$(property ProductVersion "$msi")
# The same package with a lower version and codes of its own stands for the one released before.
older=$later/older.msi
cp "$msi" "$older"
msibuild "$older" -q "UPDATE Property SET Value='0.0.1' WHERE Property='ProductVersion'" \
  -q "UPDATE Property SET Value='{00000000-0000-0000-0000-000000000001}' WHERE Property='ProductCode'" \
  -s Zorvane Fenwarrow "Intel;1033" "{00000000-0000-0000-0000-000000000002}"
check "an older package installs silently" MSI msiexec /i "$older" /qn
check "this one replaces it silently" MSI msiexec /i "$msi" /qn
check "one product entry is left, this one" same "$(MSI uninstaller --list)" "$code|||Zorvane"
entry() { MSI reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$code" /v "$1" /reg:32 | sed -n "s/^ *$1 *REG_SZ *//p"; }
check "Programs and Features shows its name, publisher and version" same "$(entry DisplayName) $(entry Publisher) $(entry DisplayVersion)" \
  "Zorvane Fenwarrow $version"
check "and its icon" test -s "$prefix/drive_c/windows/Installer/$code/zorvane.ico"
check "the 32-bit Program Files folder holds this build's program" cmp "$prefix/drive_c/Program Files (x86)/Zorvane/ZORVANE.EXE" \
  "$ROOT/build/i686/ZORVANE.EXE"
installed='C:\Program Files (x86)\Zorvane\ZORVANE.EXE'
value() { MSI reg query "$1" /v "$2" /reg:32 | sed -n "s/^ *$2 *REG_SZ *//p"; }
check "every logon starts the installed program" same "$(value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' Zorvane)" \
  "\"$installed\""
check "which knows itself installed for every user" same "$(value 'HKLM\SOFTWARE\Zorvane' Program)" "$installed"
check "it removes silently" MSI msiexec /x "$msi" /qn
left() { SEEN=$( (cd "$prefix/drive_c" && find .; MSI reg query 'HKLM\Software' /s /reg:32; MSI reg query 'HKLM\Software' /s) |
  grep -i zorvane | head -3); [ -n "$SEEN" ]; }
check "and leaves nothing of its own in the files or the machine's registry" no left
