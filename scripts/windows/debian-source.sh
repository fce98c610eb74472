# Fetches Debian 12's own source packages without touching the system's apt
# sources: a private apt list in a folder of our own, with a deb-src line for
# each mirror and suite this machine's apt already uses. Sourced by
# build-deps.sh and build-qt.sh.

# debian_source_version BINARY_PACKAGE: the version of the source package
# that this machine's candidate of BINARY_PACKAGE was built from, so that a
# library built for Windows is the same release as the one the Linux build
# links.
debian_source_version() {
  apt-cache show --no-all-versions "$1" | awk '
    /^Version:/ { version = $2 }
    /^Source:/ && $3 ~ /^\(/ { source_version = substr($3, 2, length($3) - 2) }
    /^$/ { exit }
    END { print (source_version != "" ? source_version : version) }'
}

# debian_source_lists DIR: writes the private list into DIR/apt and fetches
# its indexes (once, until DIR/apt is removed, so that a run that fetches
# several packages asks the mirror once). Uses the caller's debian_apt_src.
debian_source_lists() {
  local dir=$1/apt
  [[ -f $dir/.fresh ]] && return 0
  rm -rf "$dir"
  mkdir -p "$dir/lists/partial"
  local file
  shopt -s nullglob
  for file in /etc/apt/sources.list.d/*.sources; do
    # The same mirrors and suites as the binary packages, as deb-src.
    sed -e 's/^Types:.*/Types: deb-src/' "$file" >"$dir/$(basename "$file")"
  done
  shopt -u nullglob
  if [[ -f /etc/apt/sources.list ]]; then
    awk '$1 == "deb" { $1 = "deb-src"; print }' /etc/apt/sources.list >"$dir/plain.list"
  fi
  apt-get "${debian_apt_src[@]}" update -qq
  touch "$dir/.fresh"
}

# debian_source_fetch SOURCE_PACKAGE VERSION DIR: downloads the source
# package's files into DIR/sources (kept, so that a rebuild does not fetch
# again) and prints the path of its upstream tarball.
debian_source_fetch() {
  local package=$1 version=$2 dir=$3
  local upstream=${version#*:}
  upstream=${upstream%-*}
  local into=$dir/sources/$package-${version#*:}
  mkdir -p "$into"
  local orig=("$into/${package}_${upstream}.orig.tar".*)
  if [[ ! -f ${orig[0]} ]]; then
    local debian_apt_src=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$dir/apt"
      -o Dir::State::Lists="$dir/apt/lists")
    # apt's download user cannot enter root's home, where the cache usually is.
    [[ $(id -u) -eq 0 ]] && debian_apt_src+=(-o APT::Sandbox::User=root)
    debian_source_lists "$dir"
    if ! (cd "$into" && apt-get "${debian_apt_src[@]}" source --download-only "$package=$version" >/dev/null); then
      # A mirror may list a security update it no longer serves: then the
      # newest other Debian revision of the same upstream release.
      local other
      for other in $(apt-cache "${debian_apt_src[@]}" showsrc "$package" |
        awk -v upstream="$upstream" '/^Version:/ { v = $2; sub(/^[0-9]+:/, "", v); sub(/-[^-]*$/, "", v); if (v == upstream) print $2 }' |
        sort -rVu); do
        [[ $other == "$version" ]] && continue
        echo "$package $version cannot be downloaded; trying $other" >&2
        rm -f "$into"/*.dsc "$into"/*.debian.tar.*
        (cd "$into" && apt-get "${debian_apt_src[@]}" source --download-only "$package=$other" >/dev/null) && break
      done
    fi
    orig=("$into/${package}_${upstream}.orig.tar".*)
    [[ -f ${orig[0]} ]] || { echo "no upstream tarball for $package $version in $into" >&2; return 1; }
  fi
  printf '%s\n' "${orig[0]}"
}

# debian_source_patch SOURCE_FOLDER UPSTREAM_TARBALL: applies Debian's
# patches (its fixes, security ones among them) from the debian.tar.* beside
# UPSTREAM_TARBALL, in the order of their series. The autoconf and automake
# inputs they change are then dated back, so that make does not try to
# regenerate configure or Makefile.in with tools this build does without;
# the fixes to the code are what matters. Prints what it applies.
debian_source_patch() {
  local src=$1 debian=("${2%_*}"_*.debian.tar.*)
  [[ -f ${debian[0]} ]] || return 0
  local unpacked
  unpacked=$(mktemp -d "$src/../debian.XXXXXX")
  tar -xf "${debian[0]}" -C "$unpacked"
  local series=$unpacked/debian/patches/series patch file
  if [[ -f $series ]]; then
    while read -r patch _; do
      [[ -z $patch || $patch == \#* ]] && continue
      echo "applying $patch"
      patch -d "$src" -p1 -N --batch -i "$unpacked/debian/patches/$patch" || return 1
      for file in $(sed -En 's@^\+\+\+ [^/[:space:]]*/([^[:space:]]*)[[:space:]]?.*@\1@p' "$unpacked/debian/patches/$patch" |
        grep -E '(^|/)(configure\.(ac|in)|Makefile\.am|aclocal\.m4|acinclude\.m4|m4/[^/]*\.m4)$'); do
        [[ -f $src/$file ]] && touch -d '1980-01-01' "$src/$file"
      done
    done <"$series"
  fi
  rm -rf "$unpacked"
}

# debian_source_unpack TARBALL DIR: unpacks TARBALL into DIR and prints the
# path of its one top folder.
debian_source_unpack() {
  mkdir -p "$2"
  tar -xf "$1" -C "$2"
  local top=("$2"/*/)
  [[ ${#top[@]} -eq 1 ]] || { echo "$1 has no single top folder" >&2; return 1; }
  printf '%s\n' "${top[0]%/}"
}
