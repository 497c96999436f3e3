#!/bin/sh
# Installs the Debian package, checks the installed files (validators, manual
# pages with man --warnings, bash -n on the completion, lintian) and starts the
# installed program as an ordinary user on a headless X server: it must show
# its window, create its profile folder in the user's data folder (not beside
# /usr/bin) and end with exit code 0 on Escape. The installed demo must ask its
# simulated base for the settings and end with 0 on SIGTERM. Finally removes
# the package again. Run as root on a Debian machine (CI).
#
# Usage: packaging/check-installed.sh <velorax-manager_*.deb> [<build-dir>]
#   <build-dir> holds tests/packaging/tst_udevrule, the rule syntax check used
#   where udevadm has no "verify" (systemd before 253).
set -eu

top=$(cd "$(dirname "$0")/.." && pwd)
deb=${1:?usage: check-installed.sh <package.deb> [<build-dir>]}
build=${2:-$top/build}
user=velorax-smoke
timeout_s=30

say() { echo "check-installed: $*"; }
fail() { echo "check-installed: FAILED: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || fail "run as root (dpkg -i)"
[ -f "$deb" ] || fail "no package at $deb"

work=$(mktemp -d)
xvfb_pid=""
created_user=""
app=""
demo=""
cleanup() {
    for pid in $app $demo; do kill -KILL "$pid" 2>/dev/null || true; done
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    if [ -n "$created_user" ]; then userdel --remove "$user" 2>/dev/null || true; fi
    # The runtime folder a command without XDG_RUNTIME_DIR made.
    rm -rf "${TMPDIR:-/tmp}/runtime-$user"
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# -- install --------------------------------------------------------------
say "installing $deb"
if ! dpkg -i "$deb"; then
    say "installing missing dependencies"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -f -y -q --no-install-recommends
fi
status=$(dpkg-query -W -f='${Status}' velorax-manager 2>/dev/null || true)
[ "$status" = "install ok installed" ] || fail "package not installed ($status)"

desktop=/usr/share/applications/com.velorax.Manager.desktop
metainfo=/usr/share/metainfo/com.velorax.Manager.metainfo.xml
rule=/usr/lib/udev/rules.d/60-velorax-wheelbase.rules
for f in /usr/bin/velorax-manager /usr/bin/velorax-manager-demo "$desktop" "$metainfo" "$rule" \
    /usr/share/icons/hicolor/scalable/apps/com.velorax.Manager.svg \
    /usr/share/icons/hicolor/256x256/apps/com.velorax.Manager.png; do
    [ -f "$f" ] || fail "$f not installed"
done

# -- installed files --------------------------------------------------------
say "desktop-file-validate $desktop"
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
say "appstreamcli validate --no-net $metainfo"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
if udevadm verify --help >/dev/null 2>&1; then
    say "udevadm verify $rule"
    udevadm verify "$rule" || fail "udevadm verify"
else
    checker="$build/tests/packaging/tst_udevrule"
    [ -x "$checker" ] || fail "udevadm has no verify and $checker is missing"
    say "udev rule syntax check of $rule (udevadm has no verify)"
    VELORAX_UDEV_RULE="$rule" QT_QPA_PLATFORM=offscreen "$checker" >"$work/rule.log" 2>&1 ||
        { cat "$work/rule.log" >&2; fail "udev rule check"; }
fi

for program in velorax-manager velorax-manager-demo; do
    page=/usr/share/man/man1/$program.1.gz
    [ -f "$page" ] || fail "$page not installed"
    say "man --warnings -l $page"
    out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man -l $page"
    [ -z "$out" ] || fail "man --warnings -l $page: $out"
    completion=/usr/share/bash-completion/completions/$program
    say "bash -n $completion"
    bash -n "$completion" || fail "bash -n $completion"
done
for f in copyright changelog.gz; do
    [ -f "/usr/share/doc/velorax-manager/$f" ] || fail "/usr/share/doc/velorax-manager/$f not installed"
done
# Errors and warnings fail; informational tags do not (the binaries' hardening
# and .comment notes come from the Qt/CMake build flags, not from packaging).
say "lintian $deb"
lintian --fail-on error,warning --tag-display-limit 0 "$deb" || fail "lintian"

# -- the installed program, as an ordinary user -------------------------------
# root may write to /usr/bin, which would put the profiles there: the smoke
# check runs as a user who cannot.
if ! id "$user" >/dev/null 2>&1; then
    useradd --create-home --shell /bin/sh "$user"
    created_user=yes
fi
home=$(getent passwd "$user" | cut -d: -f6)
rm -rf "$home/.local/share/Velorax"
runtime="$work/runtime"
mkdir -m 700 "$runtime"
chown "$user:" "$runtime"
chmod 711 "$work"

display=99
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1600x900x24 -nolisten tcp -ac >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
i=0
until [ -e "/tmp/.X11-unix/X$display" ]; do
    i=$((i + 1))
    [ "$i" -le 100 ] || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; }
    sleep 0.1
done

# Starts "$@" in the background as the smoke user with a clean environment;
# $spawned is its process id (setpriv and env exec, so it is the program's).
spawn_as_user() { # <stdout-file> <stderr-file> <command...>
    out=$1
    err=$2
    shift 2
    setpriv --reuid="$user" --regid="$user" --init-groups \
        env -i HOME="$home" USER="$user" LOGNAME="$user" PATH=/usr/bin:/bin \
        LANG=C.UTF-8 XDG_RUNTIME_DIR="$runtime" DISPLAY=":$display" "$@" >"$out" 2>"$err" &
    spawned=$!
}

# Ends a started program that failed a check, shows its log and fails.
abandon() { # <pid> <log> <message>
    kill -KILL "$1" 2>/dev/null || true
    cat "$2" >&2
    fail "$3"
}

say "starting /usr/bin/velorax-manager as $user on :$display"
spawn_as_user "$work/app.out" "$work/app.log" QT_QPA_PLATFORM=xcb /usr/bin/velorax-manager
app=$spawned

window=$(DISPLAY=":$display" timeout "$timeout_s" xdotool search --sync --onlyvisible --name '^VELORAX$' |
    head -n 1) || true
[ -n "$window" ] || abandon "$app" "$work/app.log" "no window shown"
size=$(DISPLAY=":$display" xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
say "window $window shown, $size"
[ "$size" = "1200x675" ] || say "warning: the window is $size, not 1200x675"

profile="$home/.local/share/Velorax/velorax-manager/ini/data.ini"
[ -f "$profile" ] || abandon "$app" "$work/app.log" "no $profile"
# The default profile, apart from the language the window records in it.
grep -v '^Languages=' "$profile" >"$work/profile.ini" || true
grep -v '^Languages=' "$top/resources/data.ini" >"$work/default.ini" || true
cmp "$work/profile.ini" "$work/default.ini" ||
    abandon "$app" "$work/app.log" "$profile is not the default profile"
[ ! -e /usr/bin/ini ] || abandon "$app" "$work/app.log" "profiles went beside the program"
say "default profile created: $profile"

say "pressing Escape"
DISPLAY=":$display" timeout 10 xdotool windowfocus --sync "$window" key --window "$window" Escape ||
    abandon "$app" "$work/app.log" "xdotool could not press Escape"
i=0
while kill -0 "$app" 2>/dev/null; do
    i=$((i + 1))
    [ "$i" -le $((timeout_s * 10)) ] ||
        abandon "$app" "$work/app.log" "still running ${timeout_s} s after Escape"
    sleep 0.1
done
rc=0
wait "$app" || rc=$?
[ "$rc" -eq 0 ] || { cat "$work/app.log" >&2; fail "exit code $rc after Escape"; }
say "ended with exit code 0"

# -- the installed demo, quit by SIGTERM --------------------------------------
say "starting /usr/bin/velorax-manager-demo as $user, headless"
spawn_as_user "$work/demo.out" "$work/demo.log" QT_QPA_PLATFORM=offscreen /usr/bin/velorax-manager-demo
demo=$spawned
i=0
until grep -qs '^sim: feature 80 03 01 ' "$work/demo.log"; do
    i=$((i + 1))
    if [ "$i" -gt $((timeout_s * 10)) ] || ! kill -0 "$demo" 2>/dev/null; then
        abandon "$demo" "$work/demo.log" "the demo sent no read request"
    fi
    sleep 0.1
done
kill -TERM "$demo"
i=0
while kill -0 "$demo" 2>/dev/null; do
    i=$((i + 1))
    [ "$i" -le $((timeout_s * 10)) ] || abandon "$demo" "$work/demo.log" "the demo ignored SIGTERM"
    sleep 0.1
done
rc=0
wait "$demo" || rc=$?
[ "$rc" -eq 0 ] || { cat "$work/demo.log" >&2; fail "the demo ended with $rc after SIGTERM"; }
say "demo read request seen, ended with exit code 0 on SIGTERM"

# -- a command as a user without XDG_RUNTIME_DIR (su, sudo, ssh) ----------------
say "velorax-manager --list as $user without XDG_RUNTIME_DIR"
setpriv --reuid="$user" --regid="$user" --init-groups \
    env -i HOME="$home" USER="$user" LOGNAME="$user" PATH=/usr/bin:/bin LANG=C.UTF-8 \
    /usr/bin/velorax-manager --list >"$work/list.out" 2>"$work/list.err" ||
    { cat "$work/list.err" >&2; fail "velorax-manager --list failed"; }
grep -qx data.ini "$work/list.out" || fail "--list does not show data.ini"
[ ! -s "$work/list.err" ] || { cat "$work/list.err" >&2; fail "--list wrote to standard error"; }

# -- removal -------------------------------------------------------------------
say "removing the package"
dpkg --purge velorax-manager
for f in /usr/bin/velorax-manager "$desktop" "$rule"; do
    [ ! -e "$f" ] || fail "$f left behind after removal"
done
if dpkg-query -W velorax-manager >/dev/null 2>&1; then
    fail "dpkg still lists velorax-manager after purging"
fi
say "all checks passed"
