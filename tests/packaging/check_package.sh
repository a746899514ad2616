#!/usr/bin/env bash
# Builds the .deb from a build tree and inspects it: exactly the files it should hold, the
# control fields, the desktop entry, lintian, the manual pages, the versions the programs
# print, the maintainer scripts without udev, and the completion against --help.
# Usage: check_package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

( cd "$build" && cpack -B "$work/out" >"$work/cpack.log" 2>&1 ) || { cat "$work/cpack.log" >&2; exit 1; }
deb=$work/out/trivox_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "FAIL: no $(basename "$deb") made; cpack said:" >&2; cat "$work/cpack.log" >&2; exit 1; }

# The files, their modes and owners; the stand-ins, tests and benches must not be there.
expected=$work/expected
{
  echo "-rwxr-xr-x root/root ./usr/bin/trivox"
  echo "-rwxr-xr-x root/root ./usr/bin/trivox-cli"
  for f in lib/udev/rules.d/70-trivox.rules share/applications/trivox.desktop \
           share/bash-completion/completions/trivox-cli share/doc/trivox/changelog.gz \
           share/doc/trivox/copyright share/man/man1/trivox.1.gz share/man/man1/trivox-cli.1.gz; do
    echo "-rw-r--r-- root/root ./usr/$f"
  done
  for s in 16 22 24 32 48 64 128 256; do
    echo "-rw-r--r-- root/root ./usr/share/icons/hicolor/${s}x$s/apps/trivox.png"
  done
} | sort >"$expected"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort >"$work/actual"
diff -u "$expected" "$work/actual" >&2 || fail "the package's files differ from the list above (- expected, + found)"
dpkg-deb -c "$deb" | awk '$1 ~ /^d/ && $1 != "drwxr-xr-x" { print }' | grep . >&2 && fail "directories not 0755"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = trivox ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), not $version"
[ -n "$(field Maintainer)" ] && [ -n "$(field Section)" ] || fail "Maintainer or Section missing"
field Depends | grep -q 'libqt5widgets5' || fail "Depends lacks what dpkg-shlibdeps finds: $(field Depends)"
dpkg-deb -e "$deb" "$work/control"
[ -x "$work/control/postinst" ] && [ -x "$work/control/postrm" ] || fail "postinst or postrm missing"

root=$work/root
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/trivox.desktop" >&2 || fail "desktop entry"

# lintian warns of running as root; only its findings count.
if ! lintian --fail-on error,warning "$deb" >"$work/lintian" 2>/dev/null; then
  cat "$work/lintian" >&2
  fail "lintian"
fi

for page in trivox trivox-cli; do
  warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man $page: $warnings"
  zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q "trivox $version" || fail "man $page does not name $version"
done

# Both programs answer without a display; the changelog's last entry is this version.
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/trivox" --version)" = "trivox $version" ] || fail "trivox --version"
[ "$("$root/usr/bin/trivox-cli" --version)" = "trivox-cli $version" ] || fail "trivox-cli --version"
changelog_version=$(zcat "$root/usr/share/doc/trivox/changelog.gz" | dpkg-parsechangelog -l- -S Version)
[ "$changelog_version" = "$version" ] || fail "the changelog's last entry is $changelog_version, not $version"

# A chroot or a container has no running udev: the scripts must still succeed.
if [ ! -S /run/udev/control ]; then
  sh "$work/control/postinst" configure && sh "$work/control/postrm" remove || fail "maintainer scripts without udev"
fi

# Every option and command of --help is in the manual page and in the completion.
help=$("$root/usr/bin/trivox-cli" --help)
completion=$root/usr/share/bash-completion/completions/trivox-cli
page=$(zcat "$root/usr/share/man/man1/trivox-cli.1.gz" | sed 's/\\-/-/g')
words=$(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
words+=" $(awk '/^Команды:/ { on = 1; next } on && !NF { exit } on && /^  [a-z]/ { print $1 }' <<<"$help")"
for w in $words; do
  grep -qw -- "$w" "$completion" || fail "the completion lacks $w"
  grep -qw -- "$w" <<<"$page" || fail "the manual page lacks $w"
done

# The completion itself, where bash-completion is there to load it.
if [ -f /usr/share/bash-completion/bash_completion ]; then
  complete_line() { # words of the line; the last is the one completed
    bash -c '. /usr/share/bash-completion/bash_completion; . "$1"; shift
             COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
             _trivox_cli trivox-cli "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"; echo "${COMPREPLY[*]}"' \
      _ "$completion" trivox-cli "$@"
  }
  expect_completion() { # expected, then the line
    local want=$1 got
    shift
    got=$(complete_line "$@")
    [ "$got" = "$want" ] || fail "completing '$*': '$got', expected '$want'"
  }
  expect_completion "system io network all" --relay h --id A state --group ""
  expect_completion "restart" --usb res
  expect_completion "state" --relay h --id state st
  expect_completion "" --usb restart ""
  expect_completion "--yes-really" --usb factory-reset --yes
fi

[ "$failures" -eq 0 ] || exit 1
echo "package: $(basename "$deb") holds what it should"
