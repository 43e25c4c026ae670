# Helpers shared by scripts/demo.sh and the tests: a private Wine
# prefix, a demo tree (tunaro.exe behind lighttpd, the images, the sample
# page with the compact panel, the stand-in player), starting and stopping it.
#
# Source this file from bash; it sets no options of its own. It brings the
# step runner (steps.sh) with it. Everything it
# starts is recorded in TUNARO_PLAYER_PID, TUNARO_LIGHTTPD_PID and
# TUNARO_PREFIX, and tunaro_stop stops exactly that: by process id, then by
# the prefix (`wineserver -k` ends every Wine process of that prefix only).

TUNARO_REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# The player's message numbers and Wine's variables, as CMake writes them when
# it configures the windows preset (cmake/test_constants.cmake); exported, so
# that the Python and JavaScript parts of a test read the same file.
export TUNARO_CONSTANTS=${TUNARO_CONSTANTS:-$TUNARO_REPO/build/windows/test-constants.env}
declare -gA TUNARO_PLAYER=()
TUNARO_WINE_VARIABLES=()
TUNARO_PLAYER_PID=
TUNARO_PLAYLIST_FILE=
TUNARO_LIGHTTPD_PID=
TUNARO_PREFIX=
# shellcheck source=steps.sh
source "$(dirname "${BASH_SOURCE[0]}")/steps.sh"

tunaro_log() { printf '%s\n' "$*" >&2; }
tunaro_die() {
  tunaro_log "error: $*"
  exit 1
}

# Runs the named function when the script ends, however it ends: a signal
# turns into an exit with the shell's usual status, so the function runs once.
tunaro_on_exit() {
  # shellcheck disable=SC2064  # the name is meant to be fixed now
  trap "$1" EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  trap 'exit 129' HUP
}

# The checks a run is limited to: a regular expression over their names
# (extended, letter case ignored), from a test script's -k option; the
# JavaScript checks read it too. Empty: every check.
# tunaro_wanted NAME... is true when the filter leaves one of them in.
export TUNARO_FILTER=${TUNARO_FILTER:-}
tunaro_wanted() {
  [[ -n $TUNARO_FILTER ]] || return 0
  local name
  for name; do
    grep -qiE -- "$TUNARO_FILTER" <<<"$name" && return 0
  done
  return 1
}

# One check of a test script: runs the command and says "ok" or "FAIL" with
# WHAT; TUNARO_CHECKS and TUNARO_FAILURES count them for the closing line.
# A check that the filter leaves out does not run.
TUNARO_CHECKS=0
TUNARO_FAILURES=0
tunaro_expect() {
  tunaro_wanted "$1" || return 0
  tunaro_expect_suite "$@"
}
# The same for a command that is a suite of checks that say "ok" or "FAIL"
# themselves and take the filter themselves: it runs whatever the filter.
tunaro_expect_suite() {
  local what=$1
  shift
  TUNARO_CHECKS=$((TUNARO_CHECKS + 1))
  if "$@"; then
    echo "ok   $what"
  else
    echo "FAIL $what"
    TUNARO_FAILURES=$((TUNARO_FAILURES + 1))
  fi
}

# A private temporary folder for the script's run, named in TUNARO_WORK.
# However the script ends, what these helpers started is stopped and the
# folder removed.
tunaro_work_dir() {
  TUNARO_WORK=$(mktemp -d "${TMPDIR:-/tmp}/tunaro-$1.XXXXXX")
  tunaro_on_exit tunaro_work_cleanup
}
tunaro_work_cleanup() {
  local code=$?
  trap - EXIT INT TERM HUP
  tunaro_stop
  rm -rf "$TUNARO_WORK"
  exit "$code"
}

# Milliseconds since the epoch, for the timings we print.
tunaro_now_ms() { date +%s%3N; }

# The path a Windows program under Wine sees for a Unix path: /a/b -> Z:\a\b.
tunaro_winpath() {
  local path=$1
  printf 'Z:%s' "${path//\//\\}"
}

# Replaces @NAME@ in a template with the environment variable NAME (perl takes
# the values as they are, backslashes and all).
tunaro_fill() {
  local template=$1 out=$2
  perl -pe 's/\@([A-Z_]+)\@/exists $ENV{"T_$1"} ? $ENV{"T_$1"} : die "no value for \@$1\@\n"/ge' \
    "$template" >"$out"
}

# Reads $TUNARO_CONSTANTS once: the player's numbers into TUNARO_PLAYER (by
# their names in player_messages.h, e.g. ${TUNARO_PLAYER[CommandPlay]}), the
# variables every Wine process gets into TUNARO_WINE_VARIABLES (NAME=value).
tunaro_constants() {
  ((${#TUNARO_PLAYER[@]} == 0)) || return 0
  [[ -f $TUNARO_CONSTANTS ]] ||
    tunaro_die "no $TUNARO_CONSTANTS: configure the windows preset first (cmake --preset windows)"
  local line name
  while IFS= read -r line; do
    name=${line%%=*}
    case $name in
      player.*) TUNARO_PLAYER[${name#player.}]=${line#*=} ;;
      wine.*) TUNARO_WINE_VARIABLES+=("${line#wine.}") ;;
    esac
  done <"$TUNARO_CONSTANTS"
}

# The variables every Wine run of ours gets, as NAME=value words in the array
# named by the second argument: the prefix, those of $TUNARO_CONSTANTS, and
# TMPDIR as this shell has it. A program finds the player's window only on
# the same wineserver, and which server a Wine process joins depends on
# WINEPREFIX and TMPDIR: the CGI wrappers, run by a web server whose
# environment lacks TMPDIR, must get it written in.
tunaro_wine_vars() {
  local -n _tunaro_vars=$2
  tunaro_constants
  _tunaro_vars=("WINEPREFIX=$1" "${TUNARO_WINE_VARIABLES[@]}" "TMPDIR=${TMPDIR:-/tmp}")
  # Wine takes the ANSI code page from the locale: TUNARO_WINE_LOCALE=ja_JP.UTF-8
  # gives 932. Every process of one prefix must have the same.
  if [[ -n ${TUNARO_WINE_LOCALE:-} ]]; then _tunaro_vars+=("LC_ALL=$TUNARO_WINE_LOCALE"); fi
}

# The same as shell words, for a script that a template makes (@WINE_VARS@).
tunaro_wine_vars_quoted() {
  local vars
  tunaro_wine_vars "$1" vars
  printf '%q ' "${vars[@]}"
}

# Writes FILE, a command that runs a Windows program (its Unix path, then its
# arguments) under Wine in PREFIX with Wine's variables: how the parts of a
# test that are not bash run the probe or start a player. Words after PREFIX
# go in front, e.g. to run it as another user (tests/apache/run.sh). It execs
# Wine, so the id of the process started is Wine's own.
tunaro_wine_run_script() {
  local file=$1 prefix=$2
  shift 2
  local before=${*@Q}
  {
    echo '#!/bin/bash'
    echo "# Runs a Windows program under Wine in $prefix (written by tests/lib/lib.sh)."
    echo "exec ${before:+$before }env $(tunaro_wine_vars_quoted "$prefix")wine \"\$@\""
  } >"$file"
  chmod 755 "$file"
}

# Replaces the shell with a command run with Wine's variables for the prefix:
# in `( ... ) &` the command's own process id is $!. File descriptor 9
# (scripts/demo.sh's lock) is not handed on: a wineserver outlives the command.
tunaro_wine_exec() {
  local prefix=$1 vars
  shift
  tunaro_wine_vars "$prefix" vars
  exec env "${vars[@]}" "$@" 9>&-
}

# Runs a command with Wine's variables for the prefix.
tunaro_wine_env() {
  (tunaro_wine_exec "$@")
}

# The Unix path of what a Windows program under Wine calls `windows_path`:
# Z:\a\b is /a/b, C:\a is the prefix's drive_c/a.
tunaro_linuxpath() {
  local prefix=$1 path=${2//\\//}
  case $path in
    [Zz]:/*) printf '%s' "${path:2}" ;;
    [Cc]:/*) printf '%s/drive_c%s' "$prefix" "${path:2}" ;;
    *) return 1 ;;
  esac
}

# Makes a Wine prefix with the null graphics driver (windows can be created
# without a display), unless a complete one is already there. A prefix whose
# making was interrupted has no stamp and is made anew.
tunaro_prefix_make() {
  local prefix=$1
  TUNARO_PREFIX=$prefix
  if [[ -f $prefix/.tunaro-ready ]]; then
    return 0
  fi
  tunaro_wine_env "$prefix" wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  tunaro_log "making a Wine prefix in $prefix (takes a few seconds, once)"
  tunaro_wine_env "$prefix" wineboot -i >/dev/null 2>&1 ||
    tunaro_die "wineboot failed for $prefix"
  tunaro_wine_env "$prefix" wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
    >/dev/null 2>&1 || tunaro_die "could not select Wine's null graphics driver"
  # Let the server write the registry out before the prefix counts as made.
  tunaro_wine_env "$prefix" wineserver -w
  touch "$prefix/.tunaro-ready"
}

# tests/browser's node modules (playwright-core, puppeteer-core, axe-core)
# exactly as its lock file says, fetched only when one differs (npm ci never
# rewrites the lock file); the browsers themselves are Debian's.
tunaro_browser_modules() {
  (
    cd tests/browser || return 1
    local stale
    stale=$(node -e '
      const locked = require("./package-lock.json").packages;
      for (const name of ["playwright-core", "puppeteer-core", "axe-core"]) {
        let have = "";
        try { have = require(`./node_modules/${name}/package.json`).version; } catch {}
        if (have !== locked[`node_modules/${name}`]?.version) console.log(name);
      }')
    if [[ -n $stale ]]; then
      PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
    fi
  )
}

# Builds the release zip from the repository root (the 32-bit build first:
# the zip takes in its tunaro.exe) and sets TUNARO_VERSION and TUNARO_ZIP. The
# zip holds one folder, tunaro-$TUNARO_VERSION-win64.
tunaro_build_release_zip() {
  cmake --preset windows-x86 >/dev/null
  cmake --build --preset windows-x86 >/dev/null
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target package >/dev/null
  TUNARO_VERSION=$(sed -n 's/^project(tunaro VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
  TUNARO_ZIP=$PWD/build/windows/tunaro-$TUNARO_VERSION-win64.zip
  [[ -f $TUNARO_ZIP ]] || tunaro_die "no $TUNARO_ZIP"
}

# Fills TREE with everything the demo serves and runs:
#   www/                  document root: index.shtml (the panel page), images/ (the
#                         button images and the page script)
#   cgi-bin/tunaro/       tunaro.exe, tunaro.conf, header.html, footer.html, tunaro.sh
#   panel/                the second tunaro.exe with "SSI 1", tunaro-panel.sh
#   player/               standin_player.exe and its playlist
#   lighttpd.conf, logs/
tunaro_tree_install() {
  local tree=$1 prefix=$2 host=$3 port=$4 build=$5 auth=${6:-}
  local demo=$TUNARO_REPO/demo
  [[ -f $build/tunaro.exe ]] || tunaro_die "$build/tunaro.exe is missing: build the windows preset"
  [[ -f $build/standin_player.exe ]] ||
    tunaro_die "$build/standin_player.exe is missing: build the windows preset"

  rm -rf "$tree/www" "$tree/cgi-bin" "$tree/panel" "$tree/player" "$tree/logs" "$tree/lighttpd.conf"
  mkdir -p "$tree/www/images" "$tree/cgi-bin/tunaro" "$tree/panel" "$tree/player" "$tree/logs"
  tree=$(cd "$tree" && pwd)

  T_WINE_VARS=$(tunaro_wine_vars_quoted "$prefix")
  export T_ROOT=$tree T_WINE_VARS T_HOME=${HOME:-/root}
  export T_PANEL_INCLUDE="<!--#exec cmd=\"$tree/panel/tunaro-panel.sh\" -->"

  cp "$TUNARO_REPO"/assets/images/*.{gif,png,webmanifest} "$TUNARO_REPO"/assets/js/tunaro.js "$tree/www/images/"
  tunaro_fill "$demo/index.shtml.in" "$tree/www/index.shtml"

  # The control page: the shipped sample configuration as it is (its header
  # and footer lie beside tunaro.exe).
  local cgi=$tree/cgi-bin/tunaro
  cp "$build/tunaro.exe" "$demo/header.html" "$demo/footer.html" "$cgi/"
  cp "$demo/tunaro.conf.sample" "$cgi/tunaro.conf"
  tunaro_fill "$demo/tunaro-cgi.sh.in" "$cgi/tunaro.sh"
  chmod +x "$cgi/tunaro.sh"

  # The compact panel: its own copy with "SSI 1". Its links lead to the
  # control page above (its WWWPATH is the same).
  cp "$build/tunaro.exe" "$tree/panel/"
  perl -pe 's/^SSI 0/SSI 1/' "$demo/tunaro.conf.sample" >"$tree/panel/tunaro.conf"
  tunaro_fill "$demo/tunaro-panel.sh.in" "$tree/panel/tunaro-panel.sh"
  chmod +x "$tree/panel/tunaro-panel.sh"

  # The player writes its playlist file beside its own program: a private copy.
  cp "$build/standin_player.exe" "$demo/playlist.m3u" "$demo/playlist.m3u8" "$tree/player/"

  tunaro_lighttpd_configure "$tree" "$host" "$port" "$auth"
}

# Writes TREE/lighttpd.conf for host:port (again, to move to another port);
# AUTH "user:password" puts the whole site behind a login.
tunaro_lighttpd_configure() {
  local tree=$1 host=$2 port=$3 auth=${4:-}
  T_ROOT=$tree T_HOST=$host T_PORT=$port tunaro_fill "$TUNARO_REPO/demo/lighttpd.conf.in" "$tree/lighttpd.conf"
  rm -f "$tree/users"
  if [[ -n $auth ]]; then
    (umask 077 && printf '%s\n' "$auth" >"$tree/users")
    cat >>"$tree/lighttpd.conf" <<EOF

# --auth: the whole demo behind a login (a plain password file: for the demo only).
auth.backend = "plain"
auth.backend.plain.userfile = "$tree/users"
auth.require = ( "/" => ( "method" => "basic", "realm" => "Tunaro demo", "require" => "valid-user" ) )
EOF
  fi
  lighttpd -tt -f "$tree/lighttpd.conf" >/dev/null || tunaro_die "lighttpd rejects $tree/lighttpd.conf"
}

# Starts the stand-in player in the background with the demo's playlist;
# extra arguments go to it (e.g. --log FILE). Waits until its window exists.
tunaro_player_start() {
  local tree=$1 prefix=$2
  shift 2
  local ready=$tree/player/ready
  rm -f "$ready"
  # The subshell becomes wine, which becomes the player: $! is its own id.
  (tunaro_wine_exec "$prefix" wine "$tree/player/standin_player.exe" \
    --playlist "$(tunaro_winpath "$tree/player/playlist.m3u")" \
    --ready "$(tunaro_winpath "$ready")" "$@" </dev/null) &
  TUNARO_PLAYER_PID=$!
  local i
  for ((i = 0; i < 300; i++)); do
    if [[ -s $ready ]]; then
      # Its second line says where it writes its playlist file.
      TUNARO_PLAYLIST_FILE=$(tunaro_linuxpath "$prefix" "$(sed -n '2{s/\r$//;p;}' "$ready")") ||
        TUNARO_PLAYLIST_FILE=
      return 0
    fi
    kill -0 "$TUNARO_PLAYER_PID" 2>/dev/null || tunaro_die "the stand-in player exited at start"
    sleep 0.1
  done
  tunaro_die "the stand-in player did not get ready within 30 s"
}

# True while something answers on host:port.
tunaro_port_open() {
  (exec 3<>"/dev/tcp/$1/$2") 2>/dev/null
}

# Starts lighttpd in the background (it stays in the foreground of its own
# process, -D, so its id is ours to stop) and waits until it answers.
tunaro_lighttpd_start() {
  local tree=$1 host=$2 port=$3
  if tunaro_port_open "$host" "$port"; then
    tunaro_die "port $port on $host is taken; pass another port"
  fi
  lighttpd -D -f "$tree/lighttpd.conf" 9>&- </dev/null &
  TUNARO_LIGHTTPD_PID=$!
  local i
  for ((i = 0; i < 100; i++)); do
    tunaro_port_open "$host" "$port" && return 0
    if ! kill -0 "$TUNARO_LIGHTTPD_PID" 2>/dev/null; then
      TUNARO_LIGHTTPD_PID=
      tunaro_log "lighttpd stopped at start; its log:"
      tail -n 5 "$tree/logs/error.log" >&2 2>/dev/null || true
      return 1
    fi
    sleep 0.1
  done
  tunaro_die "lighttpd did not answer on $host:$port within 10 s"
}

# A port on host that nothing listens on at the moment of asking.
tunaro_free_port() {
  python3 -c 'import socket, sys; s = socket.socket(); s.bind((sys.argv[1], 0)); print(s.getsockname()[1])' "$1"
}

# For tests: configures and starts lighttpd on a free port of host and sets
# TUNARO_PORT. Another program may take the port between our look and
# lighttpd's bind, so up to three tries.
tunaro_lighttpd_start_anywhere() {
  local tree=$1 host=$2 candidate
  for _ in 1 2 3; do
    candidate=$(tunaro_free_port "$host")
    tunaro_lighttpd_configure "$tree" "$host" "$candidate"
    if tunaro_lighttpd_start "$tree" "$host" "$candidate"; then
      TUNARO_PORT=$candidate
      return 0
    fi
  done
  tunaro_die "lighttpd did not start on a free port"
}

# Stops what tunaro_player_start and tunaro_lighttpd_start started, then
# every Wine process left in the prefix (CGI runs cut off, the wineserver).
tunaro_stop() {
  if [[ -n $TUNARO_LIGHTTPD_PID ]]; then
    kill "$TUNARO_LIGHTTPD_PID" 2>/dev/null || true
    wait "$TUNARO_LIGHTTPD_PID" 2>/dev/null || true
    TUNARO_LIGHTTPD_PID=
  fi
  if [[ -n $TUNARO_PLAYER_PID ]]; then
    kill "$TUNARO_PLAYER_PID" 2>/dev/null || true
    wait "$TUNARO_PLAYER_PID" 2>/dev/null || true
    TUNARO_PLAYER_PID=
  fi
  if [[ -n $TUNARO_PREFIX && -d $TUNARO_PREFIX ]]; then
    tunaro_wine_env "$TUNARO_PREFIX" wineserver -k 2>/dev/null || true
  fi
}
