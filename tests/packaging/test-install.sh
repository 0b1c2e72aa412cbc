#!/usr/bin/env bash
# Installs the built tree into a scratch prefix and builds the portable archive, then checks what a
# user gets: the layout, the desktop entry and metainfo against their validators, and that the
# program started through the launcher link (or from the unpacked archive, from some other working
# directory) looks for its birthday file in its own directory.
#
# The last check uses a FIFO in place of the birthday file: opening it for writing succeeds only once
# the program has opened it for reading, so nothing depends on window contents or timing. The
# settings record written into it (remind days 0) lets the start-up go on without a reminder box.
#
# Usage: test-install.sh <build dir> <application id>
set -euo pipefail

build=$(cd "$1" && pwd)
app_id=$2
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
trap "exit 1" INT TERM

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check_file() { [[ -f "$1" ]] || fail "missing file ${1#"$work"/}"; }

# Starts the program at $1 from the directory $2 and checks that it opens $3 as its birthday file.
check_birthday_file_opened() {
    local program=$1 cwd=$2 expected=$3
    mkfifo "$expected"
    (cd "$cwd" && QT_QPA_PLATFORM=offscreen exec "$program" >"$work/program.log" 2>&1) &
    local pid=$!
    pids+=("$pid")
    # Opening the FIFO for writing returns once the program has opened it to look at it (it then
    # refuses it as no regular file and says so in a box, which the kill below ends).
    sh -c ': >"$1"' sh "$expected" &
    local writer=$!
    pids+=("$writer")
    local waited=0
    while kill -0 "$writer" 2>/dev/null && kill -0 "$pid" 2>/dev/null && ((waited < 600)); do
        sleep 0.1
        waited=$((waited + 1))
    done
    if ! kill -0 "$writer" 2>/dev/null && wait "$writer"; then
        echo "ok: $program read ${expected#"$work"/}"
    else
        kill "$writer" 2>/dev/null || true
        fail "$program did not open ${expected#"$work"/} (log: $(cat "$work/program.log"))"
    fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    rm -f "$expected"
}

echo "== install =="
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

progdir=$prefix/opt/quorvelcal
for f in quorvelcal README.md 说明.txt LICENSE quorvelcal.desktop; do check_file "$progdir/$f"; done
[[ -x "$progdir/quorvelcal" ]] || fail "opt/quorvelcal/quorvelcal is not executable"
for size in 16 22 24 32 48 64 128 256; do
    check_file "$progdir/icons/quorvelcal-$size.png"
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    check_file "$icon"
    if [[ -f "$icon" ]]; then
        # The PNG header holds the width and height as big-endian words at bytes 16 and 20.
        read -r width height < <(od -An -tu1 -j16 -N8 "$icon" |
            awk '{ print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }')
        [[ "$width x $height" == "$size x $size" ]] || fail "$icon is $width x $height"
    fi
done
check_file "$prefix/share/applications/$app_id.desktop"
check_file "$prefix/share/metainfo/$app_id.metainfo.xml"

link=$prefix/bin/quorvelcal
if [[ -L "$link" ]]; then
    [[ "$(readlink "$link")" == ../opt/quorvelcal/quorvelcal ]] || fail "bin/quorvelcal points to $(readlink "$link")"
    [[ "$(readlink -f "$link")" == "$(readlink -f "$progdir/quorvelcal")" ]] || fail "bin/quorvelcal does not resolve"
else
    fail "bin/quorvelcal is no symbolic link"
fi
# Nothing but the link may land in the shared bin/, and nothing outside the three trees.
extra=$(find "$prefix/bin" -mindepth 1 ! -name quorvelcal)
[[ -z "$extra" ]] || fail "unexpected files in bin/: $extra"
top_level=$(cd "$prefix" && find . -mindepth 1 -maxdepth 2 | LC_ALL=C sort | tr '\n' ' ')
[[ "$top_level" == "./bin ./bin/quorvelcal ./opt ./opt/quorvelcal ./share ./share/applications ./share/icons ./share/metainfo " ]] ||
    fail "the prefix holds: $top_level"

echo "== validators =="
desktop-file-validate "$prefix/share/applications/$app_id.desktop" || fail "desktop-file-validate"
desktop-file-validate "$progdir/quorvelcal.desktop" || fail "desktop-file-validate (program directory)"
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" || fail "appstreamcli validate"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" \
    "$prefix/share/metainfo/$app_id.metainfo.xml" || fail "metainfo does not launch $app_id.desktop"
grep -q '<screenshot' "$prefix/share/metainfo/$app_id.metainfo.xml" || fail "metainfo has no screenshot"
grep -qx "Icon=$app_id" "$prefix/share/applications/$app_id.desktop" || fail "desktop entry names another icon"

echo "== launcher link =="
mkdir "$work/elsewhere"
check_birthday_file_opened "$link" "$work/elsewhere" "$progdir/quorvelcal.CFG"
leftovers=$(find "$prefix/bin" "$work/elsewhere" -mindepth 1 ! -path "$link")
[[ -z "$leftovers" ]] || fail "files outside the program directory: $leftovers"

echo "== portable archive =="
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null)
archives=("$work"/package/quorvelcal-*.tar.gz)
if [[ ${#archives[@]} -ne 1 || ! -f "${archives[0]}" ]]; then
    fail "cpack made no single .tar.gz"
else
    mkdir "$work/unpacked"
    tar -xzf "${archives[0]}" -C "$work/unpacked"
    top=$(find "$work/unpacked" -mindepth 1 -maxdepth 1)
    [[ $(wc -l <<<"$top") -eq 1 && -d "$top" ]] || fail "archive does not hold one directory"
    listing=$(cd "$top" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' ')
    expected_listing="./LICENSE ./README.md ./icons "
    for size in 128 16 22 24 256 32 48 64; do expected_listing+="./icons/quorvelcal-$size.png "; done
    expected_listing+="./quorvelcal ./quorvelcal.desktop ./说明.txt "
    [[ "$listing" == "$expected_listing" ]] || fail "archive holds: $listing"
    check_birthday_file_opened "$top/quorvelcal" "$work/elsewhere" "$top/quorvelcal.CFG"
fi

if [[ $failures -ne 0 ]]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "all packaging checks passed"
