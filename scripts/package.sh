#!/usr/bin/env bash
# ./zorvane package [--check]: the release a Windows user downloads, built from the last commit (not
# from the work tree, so nothing uncommitted or untracked gets in) in build/release/work/, written
# as build/release/zorvane-<version>-windows.zip, zorvane-<version>-symbols.zip and the Windows
# Installer package zorvane-<version>.msi.
#   --check   builds the same commit a second time in another folder and compares every byte.
#   --pack [OUT]  packs the executables of build/i686 and build/x86_64 as a release is packed
#             (into OUT, else build/package/); ./zorvane test does this, and a test runs what it holds.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
TARGETS=(i686 x86_64)
# One commit for the whole run, though another be made meanwhile. The zip's entry times are the
# commit's, so that a later build of the same commit packs the same.
COMMIT=$(git -C "$ROOT" rev-parse HEAD)
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct "$COMMIT")}

say() { echo "package: $*" >&2; }
# quietly LOG COMMAND...: the command's output goes to LOG, shown only when it fails.
quietly() {
  local log=$1
  shift
  "$@" >>"$log" 2>&1 || { cat "$log" >&2; say "failed: $*"; exit 1; }
}

# build_commit DIR: the executables of the last commit, built in DIR/src/build/<target>/.
build_commit() {
  local dir=$1 t
  rm -rf "$dir/src" "$dir/build.log"
  mkdir -p "$dir/src"
  git -C "$ROOT" archive "$COMMIT" | tar -x -C "$dir/src"
  for t in "${TARGETS[@]}"; do
    say "building $t in $dir/src/build/$t"
    (cd "$dir/src" && quietly "$dir/build.log" cmake --preset "$t" -DBUILD_TESTING=OFF &&
      quietly "$dir/build.log" cmake --build --preset "$t" --target zorvane)
  done
}

# guid TEXT: a GUID that TEXT alone decides (a name-based one, in the installer's upper case).
guid() {
  local h
  h=$(printf '%s' "$1" | sha256sum | tr a-f A-F)
  echo "${h:0:8}-${h:8:4}-5${h:13:3}-A${h:17:3}-${h:20:12}"
}

# msi STAGE SOURCE VERSION OUT: the package of what STAGE holds (the i686 ZORVANE.EXE, README.txt,
# LICENSE.txt), VERSION being the four numbers of the version resource. Its times are the commit's
# (wixl takes the time of day), its package code is the sum of what it holds (wixl draws one at
# random), and its product code is one per version: a newer package then replaces an older one.
msi() {
  local stage=$1 src=$2 numbers=${3%.0} out=$4 when
  when=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S')
  cp "$src/src/res/zorvane.ico" "$stage/"
  touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*
  rm -f "$out"
  # At the commit's time whatever clock this runs under (a faked one too: the test's).
  at_commit() { env -u LD_PRELOAD -u FAKETIME -u FAKETIME_SHARED TZ=UTC faketime "$when" "$@"; }
  (cd "$stage" && at_commit wixl -a x86 -D Version="$numbers" \
    -D ProductCode="$(guid "Zorvane product $numbers")" -o "$out" "$src/packaging/zorvane.wxs")
  at_commit msibuild "$out" -s Zorvane Fenwarrow "Intel;1033" \
    "{$(guid "Zorvane package $numbers $(cd "$stage" && sha256sum -- * "$src/packaging/zorvane.wxs" | cut -c1-64)")}"
  rm "$stage/zorvane.ico"
}

# pack OUT BUILDS: zorvane-<version>-windows.zip, -symbols.zip and .msi in OUT from BUILDS/<target>/,
# with the documents of the sources BUILDS/.. . The i686 program is at the top (it runs on 32- and
# 64-bit Windows), x86_64's in its folder.
pack() {
  local out=$1 builds=$2 src version numbers stage header
  src=$(cd "$builds/.." && pwd)
  header=$builds/i686/version/ZorvaneVersion.h
  version=$(sed -n 's/^#define ZORVANE_VERSION "\(.*\)"$/\1/p' "$header")
  numbers=$(sed -n 's/^#define ZORVANE_VERSION_DOTTED "\(.*\)"$/\1/p' "$header")
  [ -n "$version" ] && [ -n "$numbers" ] || { say "no version in $header"; exit 1; }
  stage=$out/stage
  rm -rf "$stage"
  mkdir -p "$stage/windows/x86_64" "$stage/windows/policy" "$stage/symbols/x86_64" "$stage/msi"
  cp "$builds/i686/ZORVANE.EXE" "$stage/windows/"
  cp "$builds/x86_64/ZORVANE.EXE" "$stage/windows/x86_64/"
  cp "$builds/i686/ZORVANE.EXE.debug" "$stage/symbols/"
  cp "$builds/x86_64/ZORVANE.EXE.debug" "$stage/symbols/x86_64/"
  cp -r "$src/policy/." "$stage/windows/policy/"
  # For Windows users, in Notepad's line ends; the developers' README stays with the sources.
  sed "s/@VERSION@/$version/g; s/\$/\r/" "$src/packaging/README.txt" >"$stage/windows/README.txt"
  sed 's/$/\r/' "$src/LICENSE" >"$stage/windows/LICENSE.txt"
  cp "$stage/windows/ZORVANE.EXE" "$stage/windows/README.txt" "$stage/windows/LICENSE.txt" "$stage/msi/"
  msi "$stage/msi" "$src" "$numbers" "$out/zorvane-$version.msi"
  (cd "$stage/windows" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | xargs -d '\n' sha256sum >../SHA256SUMS &&
    mv ../SHA256SUMS .)
  local kind zip
  for kind in windows symbols; do
    zip="$out/zorvane-$version-$kind.zip"
    rm -f "$zip"
    # Fixed modes and times, entries in one order, no owner or time extras: the same bytes each time.
    (cd "$stage/$kind" &&
      find . -type f -exec chmod 0644 {} + &&
      find . -type f -exec touch -d "@$SOURCE_DATE_EPOCH" {} + &&
      find . -type f | sed 's|^\./||' | LC_ALL=C sort | TZ=UTC zip -q -X -D "$zip" -@)
  done
  rm -rf "$stage"
  ZIP="$out/zorvane-$version-windows.zip"
  MSI="$out/zorvane-$version.msi"
}

case "${1:-}" in
  --pack)
    pack "${2:-$ROOT/build/package}" "$ROOT/build"
    ;;
  "" | --check)
    [ -z "$(git -C "$ROOT" status --porcelain)" ] ||
      say "the work tree has changes that are not committed; they are not in the release"
    release=$ROOT/build/release
    build_commit "$release/work"
    pack "$release" "$release/work/src/build"
    say "$(git -C "$ROOT" log -1 --format='commit %h of %cd' --date=iso-strict "$COMMIT")"
    unzip -l "$ZIP" | sed 's/^/  /' >&2
    say "wrote $ZIP, its symbols and $MSI"
    [ "${1:-}" = --check ] || exit 0
    # A second build, at another time, in a folder at another depth; every byte must agree.
    again=$ROOT/build/release-check/second/build
    build_commit "$again/work"
    pack "$again" "$again/work/src/build"
    status=0
    for f in work/src/build/{i686,x86_64}/ZORVANE.EXE{,.debug} "$(basename "$ZIP")" \
      "$(basename "$ZIP" -windows.zip)-symbols.zip" "$(basename "$MSI")"; do
      a=$(sha256sum <"$release/$f") b=$(sha256sum <"$again/$f")
      if [ "$a" = "$b" ]; then verdict=same; else verdict=DIFFERENT status=1; fi
      echo "${a%% *}  ${b%% *}  $verdict  ${f#work/src/build/}"
    done
    [ $status = 0 ] && echo "reproducible: the two builds are byte for byte the same" ||
      echo "NOT reproducible: the builds differ (see above)"
    exit $status
    ;;
  *)
    echo "usage: ./zorvane package [--check]" >&2
    exit 2
    ;;
esac
