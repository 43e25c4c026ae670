#!/usr/bin/env bash
# Checks the Windows builds of tunaro.exe as files, without running them:
# the machine type of each, the DLLs it imports (KERNEL32, USER32 and msvcrt
# only: nothing to install beside it), the Windows version its header
# declares, and, for the 32-bit build, that it imports nothing Windows XP
# lacks (newer functions are looked up at run time instead).
#
#   scripts/check-windows-exes.sh [x64-exe [x86-exe [x64-server [x86-server]]]]
#
# Defaults: build/windows/tunaro.exe and build/windows-x86/tunaro.exe, and
# tunaro-server.exe beside each; give "-" to skip one. The server exes are
# checked for their machine type and that they import system DLLs only.
set -euo pipefail
cd "$(dirname "$0")/.."

x64=${1:-build/windows/tunaro.exe}
x86=${2:-build/windows-x86/tunaro.exe}
x64_server=${3:-build/windows/tunaro-server.exe}
x86_server=${4:-build/windows-x86/tunaro-server.exe}

failures=0
fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}

# Functions that appeared after Windows XP (Vista and later), or in psapi.
newer_than_xp='^(GetTickCount64|QueryFullProcessImageName[AW]|K32[A-Za-z]+|GetModuleFileNameEx[AW]|InitializeSRWLock|AcquireSRWLock[A-Za-z]+|ReleaseSRWLock[A-Za-z]+|InitializeConditionVariable|SleepConditionVariable[A-Za-z]+|WakeAllConditionVariable|WakeConditionVariable|InitOnce[A-Za-z]+|GetFileInformationByHandleEx|SetFileInformationByHandle|CreateSymbolicLink[AW]|GetFinalPathNameByHandle[AW])$'

check() {
  local label=$1 exe=$2 format=$3 objdump=$4 newest_allowed=$5
  [[ -f $exe ]] || {
    fail "$label: no $exe"
    return
  }
  local header
  header=$("$objdump" -p "$exe")
  grep -q "file format $format\$" <<<"$header" || fail "$label: not $format: $(grep -m1 'file format' <<<"$header")"

  local dlls
  dlls=$(sed -n 's/^\tDLL Name: //p' <<<"$header" | tr '[:lower:]' '[:upper:]' | sort -u | tr '\n' ' ')
  [[ $dlls == "KERNEL32.DLL MSVCRT.DLL USER32.DLL " ]] || fail "$label: imports $dlls"

  local major minor
  major=$(sed -n 's/^MajorSubsystemVersion[[:space:]]*//p' <<<"$header")
  minor=$(sed -n 's/^MinorSubsystemVersion[[:space:]]*//p' <<<"$header")
  (((major * 100 + minor) <= newest_allowed)) ||
    fail "$label: declares Windows $major.$minor, newer than allowed"

  # The imported names: the last word of each line under a DLL's hint table.
  local imports newer
  imports=$(awk '/^\tDLL Name:/ {in_dll = 1; next} in_dll && /^\t[ 0-9a-f]+\t *[0-9]+ / {print $NF} /^$/ {in_dll = 0}' <<<"$header" | sort -u)
  newer=$(grep -E "$newer_than_xp" <<<"$imports" | tr '\n' ' ' || true)
  echo "$label: $format, declares Windows $major.$minor, imports $(wc -l <<<"$imports") functions from ${dlls% }${newer:+; after XP: $newer}"
  if [[ $label == x86 && -n $newer ]]; then fail "x86: imports functions Windows XP lacks: $newer"; fi
}

# The DLLs tunaro-server.exe needs, all part of Windows: ADVAPI32 (the
# autostart values in the registry, the user name, the random bytes of tokens
# and codes by RtlGenRandom, the access list of the files only the user may
# read), GDI32 (the window's QR code, fonts and icon), IPHLPAPI (the
# addresses of the interfaces, GetAdaptersAddresses), KERNEL32, MSVCRT (the C
# runtime), OLE32 and OLEAUT32 (COM: the network's category and the
# firewall's rules), SHELL32 (CommandLineToArgvW, the tray icon, ShellExecute
# for the elevation prompt and the browser), USER32 (the window) and WS2_32
# (sockets).
server_dlls="ADVAPI32.DLL GDI32.DLL IPHLPAPI.DLL KERNEL32.DLL MSVCRT.DLL OLE32.DLL OLEAUT32.DLL SHELL32.DLL USER32.DLL WS2_32.DLL "
check_server() {
  local label=$1 exe=$2 format=$3 objdump=$4
  [[ $exe == - ]] && return
  [[ -f $exe ]] || {
    fail "$label: no $exe"
    return
  }
  local header dlls
  header=$("$objdump" -p "$exe")
  grep -q "file format $format\$" <<<"$header" || fail "$label: not $format: $(grep -m1 'file format' <<<"$header")"
  dlls=$(sed -n 's/^\tDLL Name: //p' <<<"$header" | tr '[:lower:]' '[:upper:]' | sort -u | tr '\n' ' ')
  [[ $dlls == "$server_dlls" ]] || fail "$label: imports $dlls, not $server_dlls"
  echo "$label: $format, imports ${dlls% }"
}

[[ $x64 == - ]] || check x64 "$x64" pei-x86-64 x86_64-w64-mingw32-objdump 502
[[ $x86 == - ]] || check x86 "$x86" pei-i386 i686-w64-mingw32-objdump 500
check_server "x64 server" "$x64_server" pei-x86-64 x86_64-w64-mingw32-objdump
check_server "x86 server" "$x86_server" pei-i386 i686-w64-mingw32-objdump

if ((failures > 0)); then
  echo "windows exes: $failures problem(s)"
  exit 1
fi
echo "windows exes: ok"
