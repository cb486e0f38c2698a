#!/usr/bin/env bash
# tests/packaging/packaging.sh SOURCE_DIR BUILD_DIR: see CMakeLists.txt beside it. Each check
# says what it found when it fails; all of them run, and the exit status counts the failures.
set -uo pipefail

source_dir=$1
build_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

pass() {
  echo "PASS: $*"
}

# Launchers and metainfo, as desktop-file-validate and appstreamcli see them (hints and
# pedantic remarks included: they are worth keeping at nothing).
for desktop in "$source_dir"/data/*.desktop; do
  out=$(desktop-file-validate "$desktop" 2>&1)
  if [ $? -eq 0 ] && [ -z "$out" ]; then pass "$(basename "$desktop") validates"; else fail "$desktop: $out"; fi
done
out=$(appstreamcli validate --no-net --pedantic "$source_dir"/data/*.metainfo.xml 2>&1)
if [ $? -eq 0 ] && ! grep -q '^[EWIP]:' <<<"$out"; then pass "metainfo validates"; else fail "metainfo: $out"; fi

# Man pages render without a warning from man or groff, with the sections a reader looks for.
for page in "$source_dir"/man/*.1; do
  warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  text=$(MANWIDTH=80 man -E UTF-8 -l "$page" 2>/dev/null)
  missing=""
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES ENVIRONMENT "EXIT STATUS" EXAMPLES; do
    grep -q "^$section\$" <<<"$text" || missing="$missing $section"
  done
  if [ -z "$warnings" ] && [ -z "$missing" ]; then pass "$(basename "$page") renders"; else fail "$page: $warnings; missing:$missing"; fi
done

# The changelog's newest entry is the metainfo's newest release, and the project's version.
entry=$(head -n 1 "$source_dir/data/changelog" | sed -n 's/^zimbrel (\([^)]*\)).*/\1/p')
entry_date=$(date -u -d "$(sed -n 's/^ -- .*>  //p' "$source_dir/data/changelog" | head -n 1)" +%F)
release=$(grep -o '<release version="[^"]*" date="[^"]*"' "$source_dir"/data/*.metainfo.xml | head -n 1)
version=$(sed -n 's/^project(zimbrel VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
if [ "$release" = "<release version=\"$entry\" date=\"$entry_date\"" ] && [ "$entry" = "$version" ]; then
  pass "changelog, metainfo and project agree on $entry of $entry_date"
else
  fail "changelog $entry of $entry_date, metainfo: $release, project $version"
fi

# The options in each program's --help are the options its man page lists.
for program in zimbrel-generator zimbrel-settings zimbrel-colorpicker; do
  helped=$("$build_dir/bin/$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
  paged=$(MANWIDTH=200 man -E UTF-8 -l "$source_dir/man/$program.1" 2>/dev/null |
    sed -n '/^OPTIONS/,/^[A-Z]/p' | grep -o -- '--[a-z][a-z-]*' | sort -u)
  if [ "$helped" = "$paged" ]; then pass "$program: --help and the man page name the same options"; else
    fail "$program: --help names $(echo $helped), the man page $(echo $paged)"; fi
done

# make reads its commands' order from the Makefile: every command that runs CMake installs what
# it needs first, so a machine without CMake gets it before CMake is needed.
for goal in package install run test; do
  order=$(make -n -C "$source_dir" "$goal" 2>/dev/null | grep -n -e 'install-deps.sh' -e '^cmake\|[ @]cmake ' | head -n 2)
  first=$(head -n 1 <<<"$order")
  if grep -q 'install-deps.sh' <<<"$first"; then pass "make $goal installs what it needs before CMake runs"; else
    fail "make $goal runs CMake before it installs: $order"; fi
done

# The scalable icon draws the padlock the programs draw: at 256 px at most 1% of the pixels
# differ by more than a third (the edges, which one side smooths and the other does not).
rsvg-convert -w 256 -h 256 "$source_dir/data/zimbrel.svg" -o "$work/svg.png"
differing=$(compare -metric AE -fuzz 33% "$work/svg.png" "$build_dir/icons/hicolor/256x256/apps/zimbrel.png" null: 2>&1)
if [ "${differing%%.*}" -lt 655 ] 2>/dev/null; then pass "the SVG is the programs' padlock ($differing pixels differ)"; else fail "SVG against the drawn icon: $differing pixels differ"; fi

# The .deb: what it installs, where, and what it depends on.
if (cd "$build_dir" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1); then
  deb=$(ls "$work"/package/zimbrel_*.deb)
  dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' | grep -v '/$' | sort >"$work/files"
  expected=(
    /usr/bin/zimbrel-generator /usr/bin/zimbrel-settings /usr/bin/zimbrel-colorpicker
    /usr/libexec/zimbrel/zimbrel-generator-window /usr/libexec/zimbrel/zimbrel-clipboard-keeper
    /usr/libexec/zimbrel/zimbrel-wayland-keeper
    /usr/share/applications/zimbrel-generator.desktop /usr/share/applications/zimbrel-settings.desktop
    /usr/share/metainfo/io.github.zimbrel.zimbrel.metainfo.xml
    /usr/share/icons/hicolor/scalable/apps/zimbrel.svg /usr/share/icons/hicolor/16x16/apps/zimbrel.png
    /usr/share/icons/hicolor/256x256/apps/zimbrel.png
    /usr/share/man/man1/zimbrel-generator.1.gz /usr/share/man/man1/zimbrel-settings.1.gz
    /usr/share/man/man1/zimbrel-colorpicker.1.gz
    /usr/share/doc/zimbrel/copyright /usr/share/doc/zimbrel/changelog.gz /etc/xdg/zimbrel/settings.ini
  )
  for file in "${expected[@]}"; do
    grep -qx "$file" "$work/files" || fail "the package lacks $file"
  done
  strays=$(grep -v -e '^/usr/bin/zimbrel-' -e '^/usr/libexec/zimbrel/' -e '^/usr/share/' -e '^/etc/xdg/zimbrel/' "$work/files")
  [ -z "$strays" ] || fail "the package installs elsewhere: $strays"
  grep -q test "$work/files" && fail "the package holds tests: $(grep test "$work/files")"
  depends=$(dpkg-deb -f "$deb" Depends)
  for needed in libqt6widgets6 libxcb-xfixes0 libc6 qt6-qpa-plugins; do
    grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
  done
  dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles 2>/dev/null | grep -qx /etc/xdg/zimbrel/settings.ini ||
    fail "the default settings are no conffile"
  dpkg-deb --fsys-tarfile "$deb" | tar -xO ./etc/xdg/zimbrel/settings.ini | cmp -s - "$source_dir/data/settings.ini" ||
    fail "the packaged settings.ini differs from data/settings.ini"
  [ "$failures" -eq 0 ] && pass "the package holds $(wc -l <"$work/files") files where they belong; Depends: $depends"
  # Debian's own checker: no error and no warning (its informational notes are shown).
  if command -v lintian >/dev/null; then
    lint=$(lintian --tag-display-limit 0 "$deb" 2>/dev/null)
    if grep -q '^[EW]:' <<<"$lint"; then fail "lintian: $lint"; else pass "lintian: no error, no warning ${lint:+($(wc -l <<<"$lint") notes)}"; fi
  else
    fail "lintian is not installed (make test installs it)"
  fi
else
  fail "cpack: $(tail -20 "$work/cpack.log")"
fi

# make install into a prefix of its own, as a user would for ~/.local: the programs find their
# helpers and their defaults there, and uninstalling leaves nothing of them behind.
prefix=$work/prefix
before=$failures
if cmake --install "$build_dir" --prefix "$prefix" >"$work/install.log" 2>&1; then
  [ -f "$prefix/etc/xdg/zimbrel/settings.ini" ] || fail "make install put no defaults into $prefix/etc/xdg/zimbrel"
  "$prefix/bin/zimbrel-generator" --version | grep -q '^Copyright' || fail "the installed generator gives no --version"
  mkdir -p "$work/home" "$work/cwd"
  password=$(cd "$work/cwd" && env -u XDG_CONFIG_HOME -u XDG_CONFIG_DIRS HOME="$work/home" \
    xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" bash -c '
      "$1" & pid=$!
      for _ in $(seq 1 50); do
        text=$(xclip -o -selection clipboard 2>/dev/null) && [ -n "$text" ] && break
        sleep 0.1
      done
      printf "%s" "$text"; kill $pid 2>/dev/null; wait $pid 2>/dev/null' run "$prefix/bin/zimbrel-generator")
  defaults=$(head -c -4 "$source_dir/data/settings.ini" | head -n 1 | tr -d '\r')
  if [ "${#password}" -eq 16 ] && [ -z "$(tr -d "$defaults" <<<"$password")" ]; then
    pass "from its installed defaults the generator makes 16 characters of the set"
  else
    fail "the installed generator, from a folder without settings, made '$password'"
  fi
  cmake -DMANIFEST="$build_dir/install_manifest.txt" -P "$source_dir/cmake/uninstall.cmake" >"$work/uninstall.log" 2>&1 ||
    fail "uninstall: $(cat "$work/uninstall.log")"
  left=$(find "$prefix" -type f -o -type l)
  leftdirs=$(find "$prefix" -type d -name zimbrel)
  [ -z "$left$leftdirs" ] || fail "uninstall left: $left $leftdirs"
  [ "$failures" -eq "$before" ] && pass "make install into a prefix works and uninstalls cleanly"
else
  fail "install: $(tail -20 "$work/install.log")"
fi

echo "$failures failed"
[ "$failures" -eq 0 ]
