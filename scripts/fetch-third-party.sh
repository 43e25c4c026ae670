#!/usr/bin/env bash
# Fetches CivetWeb (1.15), qrcodegen and TagLib (1.13) from Debian's source
# packages, checks every file against the checksums in its .dsc, and unpacks
# each into build/third-party/<package>/ (never committed). Does nothing for
# a package already unpacked. The machine's apt set-up is left alone: a
# private sources list with a deb-src line for the archive of
# /etc/apt/sources.list.d/debian.sources, and private lists and cache.
#
#   scripts/fetch-third-party.sh [DIR]     (default: build/third-party)
#
# Prints nothing on success when everything is already there.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/third-party}
mkdir -p "$out"
out=$(cd "$out" && pwd)

# folder=source package=version it must start with; unpacked into $out/<folder>.
# (qrcodegen's Debian source package is qr-code-generator.)
wanted=(civetweb=civetweb=1.15 qrcodegen=qr-code-generator=1.8 taglib=taglib=1.13)
missing=()
for item in "${wanted[@]}"; do
  [[ -f $out/${item%%=*}/.unpacked ]] || missing+=("$item")
done
((${#missing[@]} == 0)) && exit 0

# One lock, so that two builds do not fetch at the same time.
exec 8>"$out/.lock"
flock 8

apt_dir=$out/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/download"
cat >"$apt_dir/sources.list" <<'LIST'
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
LIST
apt_options=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
  -o "Dir::State::Status=/var/lib/dpkg/status" -o Debug::NoLocking=1 -o APT::Sandbox::User=root
)
if ! compgen -G "$apt_dir/lists/*Sources*" >/dev/null; then
  apt-get "${apt_options[@]}" update -qq
fi

for item in "${missing[@]}"; do
  IFS== read -r folder package version <<<"$item"
  (
    cd "$apt_dir/download"
    rm -rf "${folder:?}"
    mkdir "$folder" && cd "$folder"
    # A mirror may lack a file (the Debian part of qr-code-generator is a 404
    # here); what did arrive is checked below, and the upstream tarball must.
    apt-get "${apt_options[@]}" source -qq --download-only "$package" >/dev/null 2>apt.err ||
      sed 's/^/fetch-third-party: apt-get: /' apt.err >&2
    dsc=$(ls ./*.dsc)
    have=$(sed -n 's/^Version: //p' "$dsc")
    [[ $have == "$version"* ]] || { echo "fetch-third-party: $package is $have, not $version" >&2; exit 1; }
    # Every file the .dsc lists, with the size and SHA-256 it names.
    checked=0 absent=()
    while read -r sum size name; do
      if [[ ! -f $name ]]; then
        absent+=("$name")
        continue
      fi
      [[ $(stat -c %s "$name") == "$size" ]] || { echo "fetch-third-party: $name has the wrong size" >&2; exit 1; }
      echo "$sum  $name" | sha256sum --quiet -c - || { echo "fetch-third-party: $name fails its checksum" >&2; exit 1; }
      checked=$((checked + 1))
    done < <(sed -n '/^Checksums-Sha256:/,/^[^ ]/{/^ /p}' "$dsc")
    ((checked > 0)) || { echo "fetch-third-party: $dsc lists no SHA-256 checksums" >&2; exit 1; }
    rm -rf "${out:?}/$folder"
    if ((${#absent[@]} == 0)); then
      dpkg-source --no-check -x "$dsc" "$out/$folder" >/dev/null
    else
      # Only Debian's own packaging may be missing: the source itself is the
      # upstream tarball, unpacked as it is.
      orig=$(ls ./*.orig.tar.* 2>/dev/null | head -n 1)
      for name in "${absent[@]}"; do
        [[ $name == *.debian.tar.* ]] || { echo "fetch-third-party: $name did not arrive" >&2; exit 1; }
      done
      [[ -n $orig ]] || { echo "fetch-third-party: no upstream tarball of $package" >&2; exit 1; }
      mkdir -p "$out/$folder"
      tar -xf "$orig" -C "$out/$folder" --strip-components=1
      echo "fetch-third-party: $package: ${absent[*]} not on the mirror; unpacked the upstream source alone" >&2
    fi
    echo "fetch-third-party: $package $have, $checked files checked against the SHA-256 sums of its .dsc"
  )
  touch "$out/$folder/.unpacked"
done
