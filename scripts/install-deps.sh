#!/usr/bin/env bash
# Installs the Debian packages the project needs that this machine lacks.
# Run as root on Debian 12; does nothing when everything is present.
set -euo pipefail

packages=(
  # building
  cmake make g++ clang-format ccache
  # native tests, fuzzing and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  # TagLib for the native tests and fuzzers (the Windows build makes its own from Debian's source)
  libtag1-dev
  # the Windows program and its tests under Wine
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64
  # the demo and the browser test
  lighttpd chromium firefox-esr nodejs npm zip unzip curl python3
  # the Apache test
  apache2 apache2-utils
  # tunaro-server.exe: CivetWeb and qrcodegen from Debian's source packages
  dpkg-dev xz-utils
  # its window under Wine's X11 driver: a display, a screenshot (xwd), and
  # the QR code read back from it (zbarimg reads XWD and PBM itself)
  xvfb x11-apps zbar-tools
  # the locales that give Wine the double-byte ANSI code pages
  locales
)
# Under Wine, LC_ALL picks the ANSI code page: 932, 936, 949 and 950.
locales=(ja_JP zh_CN ko_KR zh_TW)

# The locales of `locales` that this machine has not generated yet.
missing_locales() {
  local name
  for name in "${locales[@]}"; do
    locale -a 2>/dev/null | grep -qix "$name.utf-\?8" || echo "$name"
  done
}

# Generates them: each line uncommented in /etc/locale.gen, so that a later
# locale-gen keeps them, then locale-gen.
generate_locales() {
  local name
  for name in $(missing_locales); do
    if grep -q "^# *$name.UTF-8 UTF-8" /etc/locale.gen; then
      sed -i "s/^# *\($name.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    elif ! grep -q "^$name.UTF-8 UTF-8" /etc/locale.gen; then
      echo "$name.UTF-8 UTF-8" >>/etc/locale.gen
    fi
  done
  locale-gen >/dev/null
}

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

# npm may come with nodejs from another source; it only has to run.
if [[ " ${missing[*]} " == *" npm "* ]] && command -v npm >/dev/null; then
  missing=("${missing[@]/npm/}")
fi
read -r -a missing <<<"${missing[*]}"

if ((${#missing[@]} == 0)) && [[ -z $(missing_locales) ]]; then
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  echo "install-deps: missing packages: ${missing[*]}, locales: $(missing_locales);" \
    "run as root to install them" >&2
  exit 1
fi
if ((${#missing[@]} == 0)); then
  generate_locales
  exit 0
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Another install may hold the package lock for a while: wait for it.
apt-get -o DPkg::Lock::Timeout=600 update -qq
apt-get -o DPkg::Lock::Timeout=600 install -y -qq "${missing[@]}" >/dev/null
generate_locales
