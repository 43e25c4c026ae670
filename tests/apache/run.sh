#!/usr/bin/env bash
# The Apache test: Debian's apache2 runs tunaro.exe (under Wine) with the
# configuration docs/DEPLOYMENT.md gives, as a user who unpacked the release
# archive and followed the guide would have it.
#
# compose-conf.py takes the guide's marked httpd.conf blocks and adds them to
# the parts of Apache for Windows' default httpd.conf that matter
# (windows-default.conf), where the guide says; only the Windows paths change,
# and each program address points at a wrapper that starts tunaro.exe under
# Wine. A second installation at /cgi-bin/radio/ uses the header for code page
# 1251, and the stand-in player's list holds a title in cp1251 bytes. The
# remote suite (tests/remote/checks.mjs) then checks the server as it checks
# lighttpd and tunaro-server.exe, and check.mjs what only this set-up has,
# with plain requests and headless Chromium.
#
# Apache refuses to run as root: when this runs as root, Apache, the Wine
# prefix and the stand-in player run as the user tunaro-test (made if
# missing), from copies in the test's own temporary folder. Everything started
# here is stopped at the end, pass or fail, by process id, and the prefix by
# `wineserver -k` as that user.
#
#   tests/apache/run.sh [-k PATTERN]    (-k: only the checks whose names match)
set -euo pipefail
cd "$(dirname "$0")/../.."
repo=$(pwd)

# shellcheck source=../lib/lib.sh
source tests/lib/lib.sh
case ${1:-} in
  -k) export TUNARO_FILTER=${2:?} ;;
  "") ;;
  *) echo "usage: tests/apache/run.sh [-k PATTERN]" >&2; exit 2 ;;
esac

started=$(tunaro_now_ms)
bash scripts/install-deps.sh
tunaro_build_release_zip
version=$TUNARO_VERSION zip=$TUNARO_ZIP

tunaro_browser_modules

# Who runs Apache, Wine and the player.
if ((EUID == 0)); then
  account=tunaro-test
  if ! id -u "$account" >/dev/null 2>&1; then
    useradd --system --user-group --no-create-home --home-dir /nonexistent \
      --shell /usr/sbin/nologin "$account" 2>/dev/null || id -u "$account" >/dev/null
  fi
else
  account=$(id -un)
fi
uid=$(id -u "$account")
gid=$(id -g "$account")

# The other user must reach the folder: as root, /tmp rather than a TMPDIR
# that may lie in root's home.
tmp=${TMPDIR:-/tmp}
if ((EUID == 0)); then
  tmp=/tmp
fi
work=$(mktemp -d "$tmp/tunaro-apache.XXXXXX")
home=$work/home
prefix=$work/prefix
drive_c=$prefix/drive_c
srvroot=$drive_c/Apache24
tunaro_dir=$drive_c/Tunaro
player=$work/player
artifacts=${TUNARO_ARTIFACTS:-$repo/build/apache-test}
# Every Wine process of the test (the player, the prefix's making, the CGI
# wrappers that Apache runs) gets these, TMPDIR included, so all join one
# wineserver.
TMPDIR=$tmp tunaro_wine_vars "$prefix" wine_vars
wine_env=(env "${wine_vars[@]}")

# The words that run a command as that user with a small environment of its
# own; as_user runs one that way. Call it in a subshell, `(as_user ...)`: it
# execs, so `(as_user ...) &` leaves the command's own process id in $!.
as_user_words=(env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$home" USER="$account"
  LOGNAME="$account" LANG=C.UTF-8)
if ((EUID == 0)); then
  as_user_words=(setpriv --reuid="$uid" --regid="$gid" --init-groups -- "${as_user_words[@]}")
fi
as_user() {
  exec "${as_user_words[@]}" "$@"
}

apache_pids=()
player_pid=
cleanup() {
  local code=$?
  trap - EXIT INT TERM HUP
  local pid
  for pid in "${apache_pids[@]}" $player_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  if [[ -d $prefix ]]; then
    (as_user "${wine_env[@]}" wineserver -k) 2>/dev/null || true
  fi
  if ((code != 0)); then
    cp -r "$srvroot/logs" "$artifacts/apache-logs" 2>/dev/null || true
    cp "$player/player.log" "$player/player.out" "$artifacts/" 2>/dev/null || true
    echo "apache test: logs in $artifacts"
  fi
  rm -rf "$work"
  exit "$code"
}
tunaro_on_exit cleanup

rm -rf "$artifacts"
mkdir -p "$artifacts" "$home" "$player"
# The shell library and the constants it reads, where that user reaches them.
cp -r tests/lib "$work/lib"
cp "$TUNARO_CONSTANTS" "$work/test-constants.env"
chown -R "$uid:$gid" "$work"
(as_user "${wine_env[@]}" TUNARO_CONSTANTS="$work/test-constants.env" \
  bash -c 'source "$1" && tunaro_prefix_make "$2"' _ "$work/lib/lib.sh" "$prefix")

# The release archive, unpacked where the guide puts it: the whole folder as
# C:\Tunaro (the programs run from its cgi-bin), the web files copied into
# Apache's document root.
unzip -q "$zip" -d "$work/unpacked"
top=$work/unpacked/tunaro-$version-win64
mkdir -p "$tunaro_dir" "$srvroot"/{conf,htdocs,cgi-bin,logs}
cp -r "$top/." "$tunaro_dir/"
cp -r "$top/wwwroot/." "$srvroot/htdocs/"
echo '<html><body><h1>It works!</h1></body></html>' >"$srvroot/htdocs/index.html"
ln -s /usr/lib/apache2/modules "$srvroot/modules"
cp /etc/mime.types "$srvroot/conf/mime.types"
login=alice
password=$(head -c 12 /dev/urandom | base64 | tr -d '/+=')
htpasswd -c -B -b "$srvroot/conf/tunaro.htpasswd" "$login" "$password" 2>/dev/null

# A second installation at /cgi-bin/radio/, as the guide describes one, whose
# page declares code page 1251 by the guide's one-line setup, and a page of
# its own with its panel.
cp -r "$tunaro_dir/cgi-bin/tunaro" "$tunaro_dir/cgi-bin/radio"
cp -r "$tunaro_dir/cgi-bin/tunaro-panel" "$tunaro_dir/cgi-bin/radio-panel"
for folder in radio radio-panel; do
  perl -pi -e 's{^WWWPATH [^\r\n]*}{WWWPATH /cgi-bin/radio/};
    s{^HEADERFILE header\.html}{HEADERFILE charsets\\header-1251.html}' "$tunaro_dir/cgi-bin/$folder/tunaro.conf"
done
grep -qF $'HEADERFILE charsets\\header-1251.html\r' \
  "$tunaro_dir/cgi-bin/radio/tunaro.conf" || tunaro_die "could not point the radio copy at the 1251 header"
perl -p -e 's{/cgi-bin/tunaro-panel/tunaro}{/cgi-bin/radio-panel/tunaro}g;
  s{charset="?windows-1252"?}{charset="windows-1251"}' \
  "$srvroot/htdocs/tunaro-panel.shtml" >"$srvroot/htdocs/radio-panel.shtml"
grep -q 'charset="windows-1251"' "$srvroot/htdocs/radio-panel.shtml" ||
  tunaro_die "the sample page has no charset line to change"

for folder in tunaro tunaro-panel radio radio-panel; do
  T_WINE_VARS=$(TMPDIR=$tmp tunaro_wine_vars_quoted "$prefix") T_HOME=$home tunaro_fill tests/apache/tunaro-wine.sh.in \
    "$tunaro_dir/cgi-bin/$folder/tunaro-wine.sh"
  chmod 755 "$tunaro_dir/cgi-bin/$folder/tunaro-wine.sh"
done

# The stand-in player with the demo's list and one Cyrillic title, in the
# bytes a Windows with code page 1251 stores it in.
cyrillic_title='Кино - Группа крови'
cp build/windows/standin_player.exe build/windows/player_probe.exe "$player/"
{
  cat demo/playlist.m3u
  printf '#EXTINF:283,%s\r\nC:\\Music\\Кино\\Группа крови.mp3\r\n' "$cyrillic_title" |
    iconv -f UTF-8 -t CP1251
} >"$player/playlist.m3u"
chown -R "$uid:$gid" "$work"

# Runs a Windows program in the prefix as that user: the player, and the
# probe of the checks.
TMPDIR=$tmp tunaro_wine_run_script "$work/wine-run" "$prefix" "${as_user_words[@]}"
("$work/wine-run" "$player/standin_player.exe" \
  --playlist "$(tunaro_winpath "$player/playlist.m3u")" \
  --log "$(tunaro_winpath "$player/player.log")" \
  --ready "$(tunaro_winpath "$player/ready")") >"$player/player.out" 2>&1 </dev/null &
player_pid=$!
for ((i = 0; i < 300; i++)); do
  [[ -s $player/ready ]] && break
  kill -0 "$player_pid" 2>/dev/null || tunaro_die "the stand-in player exited at start"
  sleep 0.1
done
[[ -s $player/ready ]] || tunaro_die "the stand-in player did not get ready within 30 s"

# Starts apache2 on a free loopback port with the guide's configuration
# (extra arguments go to compose-conf.py) and sets $port. Each instance has a
# pid file and error log of its own; up to three tries, should another
# program take the port first.
start_apache() {
  local name=$1 conf pid
  shift
  for _ in 1 2 3; do
    port=$(tunaro_free_port 127.0.0.1)
    conf=$srvroot/conf/$name.conf
    python3 tests/apache/compose-conf.py docs/DEPLOYMENT.md tests/apache/windows-default.conf \
      --drive-c "$drive_c" --port "$port" --wrapper tunaro-wine.sh "$@" >"$conf"
    chown "$uid:$gid" "$conf"
    if ! syntax=$( (as_user /usr/sbin/apache2 -t -f "$conf") 2>&1); then
      tunaro_die "apache2 rejects $conf: $syntax"
    fi
    # In a session of its own: on its way out apache2 signals its whole process
    # group, which would otherwise be this script's.
    (as_user setsid /usr/sbin/apache2 -DFOREGROUND -f "$conf" -c "PidFile logs/$name.pid" \
      -c "ErrorLog logs/$name-error.log") </dev/null >>"$srvroot/logs/$name-start.log" 2>&1 &
    pid=$!
    apache_pids+=("$pid")
    for ((i = 0; i < 200; i++)); do
      tunaro_port_open 127.0.0.1 "$port" && return 0
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && tunaro_die "apache2 ($name) did not answer within 20 s"
  done
  tunaro_die "apache2 ($name) did not start; see $srvroot/logs"
}
start_apache guide --copy /tunaro/=/radio/ --copy /tunaro-panel/=/radio-panel/
guide_port=$port
start_apache misplaced --misplaced
misplaced_port=$port
ready=$(tunaro_now_ms)
echo "apache test: apache2 as $account on 127.0.0.1:$guide_port, and on :$misplaced_port with" \
  "the guide's lines misplaced; ready in $(((ready - started) / 1000)) s"

export BASE_URL=http://127.0.0.1:$guide_port PLAYER_LOG=$player/player.log WINE_RUN=$work/wine-run \
  PROBE=$player/player_probe.exe ARTIFACTS=$artifacts PLAYLIST=$player/playlist.m3u \
  LOGIN=$login:$password LOGIN_SCHEME=Basic
tunaro_step "the remote behind Apache (tests/remote/checks.mjs)" \
  env PANEL_PAGE=/tunaro-panel.shtml LOOK_ALIKE_HEADERS=kept-out \
  PROTECTED="/cgi-bin/tunaro-panel/tunaro /cgi-bin/radio/tunaro /radio-panel.shtml" \
  timeout 300 node tests/remote/checks.mjs
tunaro_step "what only Apache has: the guide's warning, its frame rule, code page 1251, a second installation" \
  env MISPLACED_URL="http://127.0.0.1:$misplaced_port" CYRILLIC_TITLE="$cyrillic_title" \
  timeout 300 node tests/apache/check.mjs
