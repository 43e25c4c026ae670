#!/usr/bin/env bash
# Fetches CivetWeb (1.15), qrcodegen and TagLib (1.13) from Debian's source
# packages, checks every file against the checksums in its .dsc, and unpacks
# each into build/third-party/<package>/ (never committed). Does nothing for
# a package already unpacked. The machine's apt set-up is left alone: a
# private sources list with a deb-src line for each address of the machine's
# own Debian archive (the one its apt sources take this release's main
# packages from, with the keyring they name), and private lists and cache.
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

# The archive as the machine's apt sources name it, in deb822 form
# (sources.list.d/*.sources) or one line each (sources.list, *.list): the
# "deb" entries of this release (VERSION_CODENAME) with its main component,
# printed as "address<TAB>keyring<TAB>release" (no keyring: apt's own).
machine_archive() {
  local release
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [[ -n $release ]] || { echo "fetch-third-party: /etc/os-release names no release" >&2; return 1; }
  local parts=/etc/apt/sources.list.d
  # shellcheck disable=SC2016  # awk's own fields
  awk -v release="$release" '
    function has(list, word) { return (" " list " ") ~ ("[ \t]" word "[ \t]") }
    function trim(text) { gsub(/^[ \t]+|[ \t]+$/, "", text); return text }
    FNR == 1 { stanza() }
    # deb822: a stanza of "Field: value" lines (a value may go on in lines that
    # begin with a blank), stanzas apart by empty lines.
    FILENAME ~ /\.sources$/ {
      if ($0 ~ /^[ \t]*$/) { stanza(); next }
      if ($0 ~ /^#/) next
      if ($0 ~ /^[ \t]/) { field[key] = field[key] " " $0; next }
      key = tolower(substr($0, 1, index($0, ":") - 1))
      field[key] = substr($0, index($0, ":") + 1)
      next
    }
    # One line: deb [option=value ...] address suite component...
    $1 == "deb" {
      keyring = ""
      n = 2
      if ($2 ~ /^\[/) {
        for (; n <= NF; n++) {
          word = $n
          gsub(/[][]/, "", word)
          if (word ~ /^signed-by=/) keyring = substr(word, 11)
          if ($n ~ /\]$/) { n++; break }
        }
      }
      components = ""
      for (i = n + 2; i <= NF; i++) components = components " " $i
      if ($(n + 1) == release && has(components, "main")) print $n "\t" keyring
    }
    END { stanza() }
    function stanza(  address, count, i) {
      if (has(field["types"], "deb") && has(field["suites"], release) && has(field["components"], "main") &&
          tolower(trim(field["enabled"])) != "no") {
        count = split(trim(field["uris"]), address, /[ \t]+/)
        for (i = 1; i <= count; i++) print address[i] "\t" trim(field["signed-by"])
      }
      split("", field)
    }
  ' /dev/null $(ls /etc/apt/sources.list "$parts"/*.list "$parts"/*.sources 2>/dev/null) | sed "s/\$/\t$release/"
}

apt_dir=$out/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/download"
archive=$(machine_archive)
[[ -n $archive ]] || {
  echo "fetch-third-party: the machine's apt sources name no Debian archive for this release's main packages" >&2
  exit 1
}
while IFS=$'\t' read -r address keyring release; do
  [[ $keyring != *BEGIN* ]] || { echo "fetch-third-party: a key written into the apt sources is not supported" >&2; exit 1; }
  echo "deb-src ${keyring:+[signed-by=$keyring] }$address $release main"
done <<<"$archive" >"$apt_dir/sources.list"
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
