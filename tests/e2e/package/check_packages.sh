#!/usr/bin/env bash
# Checks the packages that cpack made: the Debian package's files and fields,
# lintian's verdict, its manual page and the command-line options of the
# program it holds, unpacked into a scratch root; and the Windows zip's files.
# Usage: check_packages.sh DEB ZIP VERSION
set -euo pipefail
deb=$1 zip=$2 version=$3
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
expect() { [ "$2" = "$3" ] || fail "$1: expected [$3], got [$2]"; }

expect "files of $deb" "$(dpkg-deb -c "$deb" | grep -v '/$' | awk '{$1=$2=$3=$4=$5=""; print}' | sed 's/^ *//' | sort)" \
"./usr/bin/lightmatrix
./usr/lib/systemd/user/lightmatrix-idle.service
./usr/libexec/xscreensaver/lightmatrix -> ../../bin/lightmatrix
./usr/share/doc/lightmatrix/changelog.Debian.gz
./usr/share/doc/lightmatrix/copyright
./usr/share/man/man6/lightmatrix.6.gz
./usr/share/xscreensaver/config/lightmatrix.xml"
field() { dpkg-deb -f "$deb" "$1"; }
expect Package "$(field Package)" lightmatrix
expect Version "$(field Version)" "$version-1"
expect Architecture "$(field Architecture)" amd64
expect Suggests "$(field Suggests)" xscreensaver
depends=$(field Depends)
[[ $depends == *"libc6 ("* && $depends == *libx11-6* && $depends == *libwayland-client0* &&
    $depends != *xscreensaver* ]] ||
    fail "Depends: $depends"
lintian --fail-on error "$deb" || fail "lintian reports an error"

dpkg-deb -x "$deb" "$root"
expect "groff -ww" "$(zcat "$root/usr/share/man/man6/lightmatrix.6.gz" | groff -man -ww -z 2>&1)" ""
# The options need no display; --root is no option and runs full screen,
# which without a display is an error.
run() {
    status=0
    env -u DISPLAY "$root/usr/bin/lightmatrix" "$@" >"$root/out" 2>"$root/err" || status=$?
    out=$(cat "$root/out") err=$(cat "$root/err")
}
run --version
expect --version "$status|$out|$err" "0|lightmatrix $version|"
run --help
expect "--help status and error output" "$status|$err" "0|"
for part in "Usage: lightmatrix" "/p WINDOW-ID" "--idle SECONDS" XSCREENSAVER_WINDOW "natively on Wayland" \
    LIGHTMATRIX_BACKEND=x11 "Exit status"; do
    [[ $out == *"$part"* ]] || fail "--help does not tell $part: $out"
done
run --no-such-option
expect "--no-such-option status and output" "$status|$out" "2|"
expect "--no-such-option error output" "$err" "lightmatrix: unknown option '--no-such-option'
Try 'lightmatrix --help' for more information."
# The user unit runs the watcher of the package; installed, not enabled.
grep -qx "ExecStart=/usr/bin/lightmatrix --idle 600" "$root/usr/lib/systemd/user/lightmatrix-idle.service" ||
    fail "the user unit does not run /usr/bin/lightmatrix --idle 600"
run --root
expect "--root without a display" "$status" 1

expect "files of $zip" "$(unzip -Z1 "$zip" | sort)" "README.txt
lightmatrix.scr"
echo "The packages hold what they should."
