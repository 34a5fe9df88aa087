#!/usr/bin/env bash
# Builds the libraries the Windows program links (Hunspell, inih, libxml2, libcsv,
# gettext's libgettextpo, FriBidi, libthai with libdatrie, FreeType) as static mingw-w64 libraries, from Debian's own source
# packages, so that Windows gets the same code, with Debian's patches, as the Linux
# build. Adds the headers of nlohmann-json, the spelling dictionaries from Debian's
# binary packages, the licences and the exact sources (the ZIP must carry the sources
# of the GPL/LGPL parts).
#
# The result is cached outside the clone, in
#   ${XDG_CACHE_HOME:-$HOME/.cache}/zazovi/windows-libs/<key>/
# where <key> hashes the source and dictionary package versions, the mingw-w64
# compilers' versions and this script. When that folder exists the script only
# prints it: no apt-get update, no network. Otherwise it builds into a temporary
# folder beside it and renames that into place when everything, including a test
# program run under Wine, has succeeded; a killed build leaves no half cache.
#
# stdout: the cache folder's path, nothing else. stderr: quiet unless a step fails,
# then the tail of that step's log (all logs stay in the temporary folder).
set -euo pipefail
script=$(readlink -f "$0")
cache_root=${XDG_CACHE_HOME:-$HOME/.cache}/zazovi/windows-libs
host=x86_64-w64-mingw32
cc=$host-gcc-posix
cxx=$host-g++-posix
jobs=2

# The source packages, and the Debian dictionary packages with the names the program
# gives their files.
sources=(hunspell libinih libxml2 libcsv gettext fribidi libdatrie libthai freetype)
declare -A dictionaries=([hunspell-en-us]=en_US [hunspell-de-de]=de_DE [hunspell-fr-classical]=fr_FR
                         [hunspell-es]=es_ES [hunspell-ru]=ru_RU [hunspell-pt-pt]=pt_PT)
tools=(dpkg-dev debian-archive-keyring xz-utils bzip2 make g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
       mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 wine wine64 nlohmann-json3-dev fonts-dejavu-core)
sources_file=/etc/apt/sources.list.d/zazovi-sources.sources

say() { echo "windows_libs.sh: $*" >&2; }
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# The source packages the dictionaries are built from: their versions stand for the
# dictionaries' in the cache key (apt-cache policy would cost half a second more).
dictionary_sources=(scowl igerman98 hunspell-fr libreoffice-dictionaries)

# --- versions, all from apt's local lists: the highest version of each source package
# in the machine's own deb-src entries ---
source_versions() {
  apt-cache showsrc --only-source "${sources[@]}" "${dictionary_sources[@]}" 2>/dev/null | awk '
    /^Package: / { p = $2 } /^Version: / { print p, $2 }' | {
    declare -A best=()
    while read -r p v; do
      if [ -z "${best[$p]:-}" ] || dpkg --compare-versions "$v" gt "${best[$p]}"; then best[$p]=$v; fi
    done
    for p in "${sources[@]}" "${dictionary_sources[@]}"; do echo "$p ${best[$p]:-}"; done
  }
}
compiler_versions() {
  dpkg-query -W gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev \
                binutils-mingw-w64-x86-64 nlohmann-json3-dev 2>/dev/null
}
# Sets $versions and $key; fails when apt knows none of a package's sources or a tool
# is missing.
compute_key() {
  command -v "$cc" > /dev/null && command -v "$cxx" > /dev/null && [ -d /usr/include/nlohmann ] || return 1
  versions=$(source_versions)
  ! awk 'NF < 2 { bad = 1 } END { exit !bad }' <<< "$versions" || return 1
  key=$({ echo "$versions"; compiler_versions; sha256sum < "$script"; } | sha256sum | cut -c1-12)
}

# --- the cached case: nothing but local lookups ---
if compute_key && [ -d "$cache_root/$key" ]; then
  echo "$cache_root/$key"
  exit 0
fi

# --- what the build needs: the tools, and deb-src entries for the machine's archive ---
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  say "installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" > /dev/null
fi

# The deb-src entries copy the machine's own deb entries (same archive, suites,
# components and keyring), so the sources match what the Linux build links.
deb_src_stanzas() {
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    awk 'BEGIN { RS = "" } {
      n = split($0, line, "\n"); out = ""; deb = 0
      for (i = 1; i <= n; i++) {
        if (line[i] ~ /^#/) continue
        if (line[i] ~ /^Types:/) { if (line[i] ~ /[ \t]deb([ \t]|$)/) deb = 1; line[i] = "Types: deb-src" }
        out = out line[i] "\n"
      }
      if (deb) printf "%s\n", out
    }' /etc/apt/sources.list.d/debian.sources
  elif [ -f /etc/apt/sources.list ]; then
    # One-line entries: "deb [options] uri suite components...", Debian's archives only.
    awk '$1 == "deb" && $0 ~ /debian/ {
      i = 2
      if ($2 ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
      uri = $i; suite = $(i + 1); comps = ""
      for (j = i + 2; j <= NF; j++) comps = comps (comps ? " " : "") $j
      printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n", uri, suite, comps
      if (match($0, /signed-by=[^] ]+/)) printf "Signed-By: %s\n", substr($0, RSTART + 10, RLENGTH - 10)
      printf "\n"
    }' /etc/apt/sources.list
  fi
}
if ! compute_key; then
  if [ ! -f "$sources_file" ]; then
    stanzas=$(deb_src_stanzas)
    if [ -z "$stanzas" ]; then
      say "no Debian deb entries found to derive deb-src entries from"
      exit 1
    fi
    printf '%s\n' "$stanzas" | $sudo tee "$sources_file" > /dev/null
  fi
  $sudo apt-get update -qq
fi
if ! compute_key; then
  say "apt knows no source package for one of: ${sources[*]} ${dictionary_sources[*]} (see $sources_file)"
  exit 1
fi
if [ -d "$cache_root/$key" ]; then
  echo "$cache_root/$key"
  exit 0
fi

# --- the build, in a temporary folder beside the cache ---
mkdir -p "$cache_root"
# Left-overs of builds that were killed (their process is gone).
for old in "$cache_root"/.tmp-*; do
  [ -d "$old" ] || continue
  pid=${old##*-}
  kill -0 "$pid" 2> /dev/null || rm -rf "$old"
done
tmp=$cache_root/.tmp-$key-$$
out=$tmp/out      # becomes the cache folder
work=$tmp/work    # unpacked sources, build trees
logs=$tmp/logs
mkdir -p "$out"/{include,lib,licenses,sources,dictionaries/licenses} "$work" "$logs"
# apt's downloader runs as _apt and must reach the download folder.
chmod 755 "$tmp" "$out" "$out/sources" "$work" 2> /dev/null || true
say "building the Windows libraries into $tmp (several minutes; logs in $logs)"

# logged <name> <command...>: runs the command with its output in logs/<name>.log and
# returns its status. The command runs as a background job so that "set -e" stops it
# at its first failing command; bash ignores -e inside anything called from a
# condition, so the job is started here and only the wait is tested.
logged() {
  ("${@:2}") > "$logs/$1.log" 2>&1 &
  wait $!
}
# step <name> <command...>: the same, and a failure shows the log's tail and stops.
# (Not written with logged: a call from "logged ... ||" would start the job in a
# condition, with -e ignored.)
step() {
  ("${@:2}") > "$logs/$1.log" 2>&1 &
  if ! wait $!; then
    say "step '$1' failed; the end of $logs/$1.log:"
    tail -n 40 "$logs/$1.log" >&2
    exit 1
  fi
}

declare -A version=()
while read -r p v; do version[$p]=$v; done <<< "$versions"
declare -A used=()   # the version actually built, from the fetched .dsc

# apt-get source checks the .dsc and the tarballs against the signed Release files.
fetch_source() {   # <package> <version> <folder> [apt options...]
  local p=$1 v=$2 dir=$3
  shift 3
  (cd "$dir" && apt-get "$@" source --download-only -qq "$p=$v")
}
# The next Debian release's source of a package, through a private apt state under
# work/: the machine's own apt configuration stays as it is, so plain "apt-get source"
# elsewhere on it keeps giving the machine's own versions.
next_release() {
  case "$1" in
    bullseye) echo bookworm ;; bookworm) echo trixie ;; trixie) echo forky ;; *) return 1 ;;
  esac
}
fetch_next_release() {   # <package> <folder>
  local p=$1 dir=$2 codename next uri keyring state=$work/apt-next
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  next=$(next_release "$codename") || return 1
  # The archive and keyring of the machine's own main suite.
  local stanzas
  stanzas=$(deb_src_stanzas)
  uri=$(awk -v s="$codename" 'BEGIN { RS = "" } $0 ~ ("Suites:[^\n]*[ ]" s "([ \n]|$)") {
        if (match($0, /URIs: [^ \n]+/)) { print substr($0, RSTART + 6, RLENGTH - 6); exit } }' <<< "$stanzas")
  keyring=$(awk -v s="$codename" 'BEGIN { RS = "" } $0 ~ ("Suites:[^\n]*[ ]" s "([ \n]|$)") {
        if (match($0, /Signed-By: [^ \n]+/)) { print substr($0, RSTART + 11, RLENGTH - 11); exit } }' <<< "$stanzas")
  [ -n "$uri" ] || return 1
  mkdir -p "$state/lists/partial" "$state/cache/archives/partial"
  chmod -R 755 "$state"
  {
    printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\n' "$uri" "$next"
    [ -z "$keyring" ] || printf 'Signed-By: %s\n' "$keyring"
  } > "$state/next.sources"
  local opts=(-o "Dir::Etc::SourceList=$state/next.sources" -o Dir::Etc::SourceParts=/nonexistent
              -o "Dir::State::Lists=$state/lists" -o "Dir::Cache=$state/cache")
  apt-get "${opts[@]}" update
  local v
  v=$(apt-cache "${opts[@]}" showsrc --only-source "$p" | awk '/^Version: / { print $2; exit }')
  [ -n "$v" ] || return 1
  fetch_source "$p" "$v" "$dir" "${opts[@]}"
}

# --- 1. the sources ---
for p in "${sources[@]}"; do
  mkdir -p "$work/dl-$p"
  chmod 755 "$work/dl-$p"
  if logged "fetch-$p" fetch_source "$p" "${version[$p]}" "$work/dl-$p"; then
    used[$p]=${version[$p]}
  elif [ "$p" = libdatrie ] || [ "$p" = libthai ]; then
    # Of these two only the .dsc and the upstream tarball reach this machine: their
    # Debian patch tarballs give 404 on the mirror (in every release). apt has checked
    # what arrived against the signed index; the tarball is built as upstream released
    # it, and versions.txt says the Debian patches are missing.
    ls "$work/dl-$p"/*.dsc "$work/dl-$p"/*.orig.tar.* > /dev/null 2>&1 || {
      say "$p ${version[$p]} cannot be fetched:"
      tail -n 5 "$logs/fetch-$p.log" >&2
      exit 1
    }
    say "$p: Debian's patches cannot be fetched; building its upstream tarball"
    used[$p]="${version[$p]} (upstream tarball only)"
    cp "$work/dl-$p"/* "$out/sources/"
    mkdir -p "$work/$p"
    tar xf "$work/dl-$p"/*.orig.tar.* -C "$work/$p" --strip-components=1
    find "$work/$p" \( -name configure.ac -o -name Makefile.am -o -name '*.m4' \) -exec touch -d 2000-01-01 {} +
    continue
  elif [ "$p" = libinih ]; then
    # Bookworm's libinih 55 tarballs are missing from the mirror this machine
    # reaches. The next release's package then stands in (the build below checks
    # that its API and Debian's build options are still the ones the program
    # expects), and versions.txt says so. The other libraries have no such check,
    # so they never fall back.
    rm -f "$work/dl-$p"/*
    say "the machine's $p ${version[$p]} cannot be fetched; trying the next Debian release's"
    step "fetch-$p-next" fetch_next_release "$p" "$work/dl-$p"
    used[$p]=$(cd "$work/dl-$p" && ls ./*.dsc | sed 's/.*_\(.*\)\.dsc/\1/')
  else
    say "$p ${version[$p]} cannot be fetched:"
    tail -n 5 "$logs/fetch-$p.log" >&2
    exit 1
  fi
  cp "$work/dl-$p"/* "$out/sources/"
  # Unpacked with Debian's patches applied. Some patches touch Makefile.am or
  # configure.ac (test additions, shared-library link lines) and would make make
  # re-run automake; the shipped configure and Makefile.in are kept instead, so
  # their inputs get an old date.
  step "unpack-$p" dpkg-source -x "$work/dl-$p"/*.dsc "$work/$p"
  find "$work/$p" \( -name configure.ac -o -name Makefile.am -o -name '*.m4' -o -name Makefile.gnulib \) \
       -exec touch -d 2000-01-01 {} +
done

# Common settings of the autoconf builds.
prefix=$work/prefix
autoconf_args=(--host="$host" --prefix="$prefix" --disable-shared --enable-static
               CC="$cc" CXX="$cxx" CFLAGS=-O2 CXXFLAGS=-O2)

# --- 2. Hunspell: only the library; its tools would need readline and ncurses ---
# HUNSPELL_STATIC (hunvisapi.h) keeps __declspec(dllexport/dllimport) off the symbols,
# here and in every program that includes the headers.
build_hunspell() {
  cd "$work/hunspell"
  ./configure "${autoconf_args[@]}" CPPFLAGS=-DHUNSPELL_STATIC --without-ui --without-readline --disable-nls
  make -C src/hunspell -j$jobs
  make -C src/hunspell install
}
step hunspell build_hunspell

# --- 3. inih: one C file. Debian builds it with meson and distro_install=true, which
# compiles the library with INI_HANDLER_LINENO=1 and otherwise the defaults of ini.h
# (multi-line entries, BOM, inline ';' comments, 200-byte lines on the stack); the
# header handed to programs is the plain one. The same here, so the settings file
# parses alike on both systems. ---
build_inih() {
  cd "$work/libinih"
  local defines
  defines=$(awk '/distro_install/ && /if/ { f = 1 } f && /arg_static \+=/ { print; exit }' meson.build |
            grep -o "'-D[^']*'" | tr -d "'")
  [ "$defines" = "-DINI_HANDLER_LINENO=1" ] || { echo "Debian's inih build options changed: $defines"; return 1; }
  grep -q 'distro_install=true' debian/rules || { echo "debian/rules no longer sets distro_install"; return 1; }
  # The API the program uses.
  grep -q 'int ini_parse_string(const char\* string, ini_handler handler, void\* user);' ini.h
  grep -q 'typedef int (\*ini_handler)(void\* user, const char\* section,' ini.h
  grep -A1 'typedef int (\*ini_handler)(void\* user, const char\* section,' ini.h | grep -q 'const char\* name, const char\* value);'
  "$cc" -O2 -Wall "$defines" -c ini.c -o ini.o
  "$host-ar" rcs "$prefix/lib/libinih.a" ini.o
  cp ini.h "$prefix/include/"
}
mkdir -p "$prefix/lib" "$prefix/include"
step inih build_inih

# --- 4. libxml2: parsing UTF-8 XLIFF from memory and xmlTextWriter; nothing that
# reaches for other libraries, the network or plug-ins ---
build_libxml2() {
  cd "$work/libxml2"
  ./configure "${autoconf_args[@]}" --without-python --without-zlib --without-lzma --without-iconv \
              --without-icu --without-http --without-ftp --without-modules --without-readline \
              --without-history --without-debug
  make -j$jobs libxml2.la
  make install-libLTLIBRARIES install-pkgconfigDATA
  make -C include install
  # The system libraries a static program needs with it (recorded for the CMake side).
  sed -n "s/^Libs.private: *//p" "$prefix/lib/pkgconfig/libxml-2.0.pc" > "$work/libxml2-system-libs"
}
step libxml2 build_libxml2

# --- 5. libcsv: one C file ---
build_libcsv() {
  cd "$work/libcsv"
  "$cc" -O2 -Wall -c libcsv.c -o libcsv.o
  "$host-ar" rcs "$prefix/lib/libcsv.a" libcsv.o
  cp csv.h "$prefix/include/"
}
step libcsv build_libcsv

# --- 6. libgettextpo: gettext-tools configured for Windows, only its libgettextpo
# folder built. No iconv (Debian cross-builds none; PO files are read and written as
# UTF-8), no NLS, Windows' own threads, none of the optional tool dependencies. ---
build_gettextpo() {
  mkdir -p "$work/gettext-build"
  cd "$work/gettext-build"
  "$work/gettext/gettext-tools/configure" "${autoconf_args[@]}" \
      --disable-nls --disable-java --disable-csharp --without-emacs --disable-openmp --disable-curses \
      --disable-acl --disable-xattr --enable-threads=windows --without-git --without-cvs --without-bzip2 \
      --without-xz --without-libiconv-prefix --without-libintl-prefix --without-libunistring-prefix \
      --without-libxml2-prefix --without-libncurses-prefix --without-libtermcap-prefix \
      --without-libxcurses-prefix --without-libcurses-prefix --without-libtextstyle-prefix
  make -C libgettextpo -j$jobs
  make -C libgettextpo install
}
step gettextpo build_gettextpo

# --- 6b. FriBidi (bidi and Arabic joining): only its library. The release carries its
# generated Unicode tables, so nothing is built to run on the build machine.
# FRIBIDI_LIB_STATIC keeps __declspec(dllimport) off, here and in the programs. ---
build_fribidi() {
  cd "$work/fribidi"
  ./configure "${autoconf_args[@]}" CPPFLAGS=-DFRIBIDI_LIB_STATIC --disable-docs
  make -C lib -j$jobs
  make -C lib install
}
step fribidi build_fribidi

# --- 6c. libdatrie and libthai (Thai word breaks). libdatrie's configure insists on an
# iconv for its command-line tool; the library itself is plain C and needs no
# configuration, so its files are compiled directly. libthai's dictionary is made by
# that tool on the build machine: it comes ready from Debian's libthai-data instead. ---
build_datrie() {
  cd "$work/libdatrie/datrie"
  local f
  for f in *.c; do "$cc" -O2 -Wall -I. -I.. -c "$f" -o "${f%.c}.o"; done
  "$host-ar" rcs "$prefix/lib/libdatrie.a" ./*.o
  mkdir -p "$prefix/include/datrie"
  cp alpha-map.h trie.h triedefs.h typedefs.h "$prefix/include/datrie/"
}
step datrie build_datrie
build_thai() {
  cd "$work/libthai"
  ./configure "${autoconf_args[@]}" --disable-dict --disable-doxygen-doc \
      DATRIE_CFLAGS="-I$prefix/include" DATRIE_LIBS="-L$prefix/lib -ldatrie"
  make -C src -j$jobs
  make -C src install
  make -C include install
}
step thai build_thai

# --- 6d. FreeType (glyphs rasterised at display scales other than 1): only its
# library, with none of its optional companions; compressed and colour fonts are not
# what the editor draws. Its own copy of zlib's inflate still reads .gz fonts. ---
build_freetype() {
  cd "$work/freetype"
  ./configure "${autoconf_args[@]}" --without-zlib --without-bzip2 --without-png --without-harfbuzz \
              --without-brotli --without-librsvg
  make -j$jobs
  make install
  # The library must stand alone: a static program gets no hint of any other.
  grep -qx 'Libs.private: *' "$prefix/lib/pkgconfig/freetype2.pc"
}
step freetype build_freetype

# --- 7. the cache's include/ and lib/ ---
collect() {
  cp -r "$prefix/include/hunspell" "$prefix/include/libxml2/libxml" "$prefix/include/ini.h" \
        "$prefix/include/csv.h" "$prefix/include/gettext-po.h" "$prefix/include/fribidi" \
        "$prefix/include/datrie" "$prefix/include/thai" "$prefix/include/freetype2" "$out/include/"
  cp -r /usr/include/nlohmann "$out/include/"
  cp "$prefix"/lib/libhunspell*.a "$prefix/lib/libinih.a" "$prefix/lib/libxml2.a" "$prefix/lib/libcsv.a" \
     "$prefix/lib/libgettextpo.a" "$prefix/lib/libfribidi.a" "$prefix/lib/libdatrie.a" "$prefix/lib/libthai.a" \
     "$prefix/lib/libfreetype.a" "$out/lib/"
  cp "$work/libxml2-system-libs" "$out/lib/libxml2-system-libs.txt"
}
step collect collect

# --- 8. licences: Debian's copyright file and the upstream licence texts ---
licenses() {
  local p f
  for p in "${sources[@]}"; do
    mkdir -p "$out/licenses/$p"
    [ ! -f "$work/$p/debian/copyright" ] || cp "$work/$p/debian/copyright" "$out/licenses/$p/copyright"
    # FreeType is taken under the FreeType License (docs/FTL.TXT), one of the two its
    # LICENSE.TXT offers.
    for f in COPYING COPYING.LESSER COPYING.MPL COPYING.LIB LICENSE LICENSE.txt LICENSE.TXT docs/FTL.TXT Copyright \
             license.hunspell license.myspell; do
      [ ! -f "$work/$p/$f" ] || cp "$work/$p/$f" "$out/licenses/$p/"
    done
  done
  mkdir -p "$out/licenses/nlohmann-json"
  cp /usr/share/doc/nlohmann-json3-dev/copyright "$out/licenses/nlohmann-json/copyright"
}
step licenses licenses

# --- 9. dictionaries from Debian's binary packages ---
# A symbolic link in an unpacked package, followed inside that package's tree.
resolve_in() {   # <root> <path>
  local root=$1 f=$2 target n=0
  while [ -L "$f" ]; do
    target=$(readlink "$f")
    case "$target" in /*) f=$root$target ;; *) f=$(dirname "$f")/$target ;; esac
    n=$((n + 1))
    [ $n -lt 20 ] || return 1
  done
  echo "$f"
}
dictionaries_step() {
  local p dir name ext f src
  mkdir -p "$work/debs"
  chmod 755 "$work/debs"
  (cd "$work/debs" && apt-get download -qq "${!dictionaries[@]}")
  declare -A dict_sources=()
  for p in "${!dictionaries[@]}"; do
    dir=$work/debs/x-$p
    dpkg-deb -x "$work/debs/${p}_"*.deb "$dir"
    name=${dictionaries[$p]}
    for ext in aff dic; do
      f=$(resolve_in "$dir" "$dir/usr/share/hunspell/$name.$ext")
      [ -f "$f" ] || { echo "$p has no $name.$ext"; return 1; }
      cp "$f" "$out/dictionaries/$name.$ext"
    done
    f=$(resolve_in "$dir" "$dir/usr/share/doc/$p/copyright")
    cp "$f" "$out/dictionaries/licenses/$p.copyright"
    # A dictionary under the GPL alone (German's igerman98) travels with the source
    # package it was built from. The Spanish and Portuguese ones offer the MPL beside
    # the GPL and LGPL and are taken under it (their .aff and .dic are their source
    # form), the others are under permissive licences: that spares the ZIP the 52 MB
    # of LibreOffice's dictionary sources. Reviewed by hand from their copyright files.
    if [ "$p" = hunspell-de-de ]; then
      src=$(dpkg-deb -f "$work/debs/${p}_"*.deb Source | awk '{ print $1 }')
      dict_sources[${src:-$p}]=1
    fi
  done
  # Not every dictionary source is on the mirror (igerman98's tarballs give 404 here);
  # one that is missing is named in versions.txt rather than stopping the build.
  for src in "${!dict_sources[@]}"; do
    mkdir -p "$work/dl-$src"
    chmod 755 "$work/dl-$src"
    if (cd "$work/dl-$src" && apt-get source --download-only -qq "$src${version[$src]:+=${version[$src]}}"); then
      cp "$work/dl-$src"/* "$out/sources/"
    else
      echo "$src" >> "$work/dictionary-sources-missing"
    fi
  done
  touch "$work/dictionary-sources-missing"
}
step dictionaries dictionaries_step

# --- 9b. libthai's word dictionary, from Debian's libthai-data (the same for every
# architecture): the programs look for it beside themselves ---
thai_dictionary() {
  mkdir -p "$work/debs/thai" "$out/data"
  (cd "$work/debs" && apt-get download -qq libthai-data)
  dpkg-deb -x "$work/debs/"libthai-data_*.deb "$work/debs/thai"
  cp "$work/debs/thai/usr/share/libthai/thbrk.tri" "$out/data/"
}
step thai-dictionary thai_dictionary

# --- 10. versions.txt ---
# The dictionaries' licences, in a few words, from their Debian copyright files.
dict_license() {
  case "$1" in
    hunspell-en-us) echo "SCOWL: BSD-like permissive" ;;
    hunspell-de-de) echo "GPL-2+ (igerman98)" ;;
    hunspell-fr-classical) echo "MPL-2.0" ;;
    hunspell-es) echo "GPL-3+/LGPL-3+/MPL-1.1+ (libreoffice-dictionaries)" ;;
    hunspell-ru) echo "BSD-4-clause style (libreoffice-dictionaries)" ;;
    hunspell-pt-pt) echo "GPL-2/LGPL-2.1/MPL-1.1 (libreoffice-dictionaries)" ;;
  esac
}
{
  echo "hunspell ${used[hunspell]} MPL-1.1/GPL-2+/LGPL-2.1+"
  if [ "${used[libinih]}" = "${version[libinih]}" ]; then
    echo "libinih ${used[libinih]} BSD-3-clause"
  else
    echo "libinih ${used[libinih]} BSD-3-clause (the machine's ${version[libinih]} could not be fetched)"
  fi
  echo "libxml2 ${used[libxml2]} MIT"
  echo "libcsv ${used[libcsv]} LGPL-2.1+"
  echo "gettext ${used[gettext]} GPL-3+ (libgettextpo)"
  echo "fribidi ${used[fribidi]} LGPL-2.1+"
  echo "libdatrie ${used[libdatrie]} LGPL-2.1+"
  echo "libthai ${used[libthai]} LGPL-2.1+"
  echo "freetype ${used[freetype]} FTL (FreeType License)"
  echo "libthai-data $(dpkg-deb -f "$work/debs/"libthai-data_*.deb Version) LGPL-2.1+ (thbrk.tri)"
  echo "nlohmann-json3 $(dpkg-query -W -f='${Version}' nlohmann-json3-dev) MIT"
  for p in $(printf '%s\n' "${!dictionaries[@]}" | sort); do
    deb=$(ls "$work/debs/${p}_"*.deb)
    src=$(dpkg-deb -f "$deb" Source | awk '{ print $1 }')
    src=${src:-$p}
    note=""
    ! grep -qx "$src" "$work/dictionary-sources-missing" || note=" (its source package $src could not be fetched)"
    echo "$p $(dpkg-deb -f "$deb" Version) dictionary ${dictionaries[$p]}, $(dict_license "$p")$note"
  done
} > "$out/versions.txt"

# --- 11. the check: a Windows program calling into all of them, run under Wine, which
# must show the expected answers and import nothing but Windows' own DLLs ---
check() {
  local check_font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf   # for FreeType
  mkdir -p "$work/check"
  cd "$work/check"
  cat > check.cpp << 'EOF'
#include <hunspell/hunspell.hxx>
#include <ini.h>
#include <libxml/parser.h>
#include <csv.h>
#include <gettext-po.h>
#include <fribidi.h>
#include <thai/thbrk.h>
#include <thai/thwbrk.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <cstdio>
#include <string>

static int on_ini(void* user, const char* section, const char* name, const char* value) {
  *static_cast<std::string*>(user) += std::string(section) + "." + name + "=" + value + "|";
  return 1;
}

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  std::string dir = argv[1];
  Hunspell speller((dir + "/en_US.aff").c_str(), (dir + "/en_US.dic").c_str());
  std::printf("hunspell %d %d\n", speller.spell(std::string("house")) ? 1 : 0,
              speller.spell(std::string("hosue")) ? 1 : 0);
  // A continued value, a line in error (reported, parsing goes on) and an inline
  // comment: what Debian's Linux build of inih makes of it.
  std::string value;
  int line = ini_parse_string("[s]\nkey = first\n  second\nbad line\nx = 1 ; c\n", on_ini, &value);
  std::printf("inih %d %s\n", line, value.c_str());
  const char xml[] = "<xliff version=\"1.2\"><file/></xliff>";
  xmlDocPtr doc = xmlReadMemory(xml, sizeof xml - 1, "check.xlf", "UTF-8", XML_PARSE_NONET);
  std::printf("libxml2 %s\n", doc ? (const char*)xmlDocGetRootElement(doc)->name : "-");
  xmlFreeDoc(doc);
  struct csv_parser csv;
  std::printf("libcsv %d\n", csv_init(&csv, CSV_STRICT));
  csv_free(&csv);
  po_file_t po = po_file_create();
  std::printf("gettextpo %d\n", po != nullptr);
  po_file_free(po);
  std::printf("fribidi %d\n", fribidi_get_bidi_type(0x05D0) == FRIBIDI_TYPE_RTL);
  // "สวัสดีครับ": two words, the break after the sixth character.
  ThBrk* brk = th_brk_new((dir + "/../data/thbrk.tri").c_str());
  const thwchar_t thai[] = {0x0E2A, 0x0E27, 0x0E31, 0x0E2A, 0x0E14, 0x0E35, 0x0E04, 0x0E23, 0x0E31, 0x0E1A, 0};
  int breaks[8] = {};
  const int n = brk ? th_brk_wc_find_breaks(brk, thai, breaks, 8) : -1;
  std::printf("libthai %d %d\n", n, breaks[0]);
  if (brk) th_brk_delete(brk);
  // A glyph of a TrueType face rendered as anti-aliased pixels.
  FT_Library ft = nullptr;
  FT_Face face = nullptr;
  int ft_error = FT_Init_FreeType(&ft);
  if (!ft_error) ft_error = FT_New_Face(ft, argv[2], 0, &face);
  if (!ft_error) ft_error = FT_Set_Pixel_Sizes(face, 0, 24);
  if (!ft_error) ft_error = FT_Load_Char(face, 'A', FT_LOAD_RENDER);
  std::printf("freetype %d %d\n", ft_error, !ft_error && face->glyph->bitmap.rows > 10 &&
                                                face->glyph->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY);
  if (face) FT_Done_Face(face);
  if (ft) FT_Done_FreeType(ft);
  return 0;
}
EOF
  # shellcheck disable=SC2046
  "$cxx" -O2 -DHUNSPELL_STATIC -DLIBXML_STATIC -DFRIBIDI_LIB_STATIC -I"$out/include" -I"$out/include/fribidi" \
      -I"$out/include/freetype2" \
      check.cpp -o check.exe -static -static-libgcc -static-libstdc++ -L"$out/lib" -lhunspell-1.7 -linih -lxml2 \
      -lcsv -lgettextpo -lfribidi -lthai -ldatrie -lfreetype \
      $(cat "$out/lib/libxml2-system-libs.txt")
  local dlls
  dlls=$("$host-objdump" -p check.exe | sed -n 's/^\s*DLL Name: //p' | tr '[:upper:]' '[:lower:]' | sort -u)
  echo "imports: $dlls"
  local d
  for d in $dlls; do
    case "$d" in
      kernel32.dll|msvcrt.dll|user32.dll|advapi32.dll|ws2_32.dll|bcrypt.dll|shell32.dll|ole32.dll) ;;
      *) echo "check.exe imports $d"; return 1 ;;
    esac
  done
  export WINEPREFIX=$work/wine WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  wineboot -i < /dev/null
  local got expected
  got=$(wine check.exe "Z:$out/dictionaries" "Z:$check_font" < /dev/null | tr -d '\r')
  wineserver -k || true
  expected=$'hunspell 1 0\ninih 4 s.key=first|s.key=second|s.x=1|\nlibxml2 xliff\nlibcsv 0\ngettextpo 1\nfribidi 1\nlibthai 1 6\nfreetype 0 1'
  echo "$got"
  [ "$got" = "$expected" ] || { echo "expected:"; echo "$expected"; return 1; }
}
step check check

if ! mv -T "$out" "$cache_root/$key" 2> /dev/null; then
  # Another run finished the same key first; its result is as good as ours.
  [ -d "$cache_root/$key" ] || { say "could not move $out into place"; exit 1; }
fi
rm -rf "$tmp"
echo "$cache_root/$key"
