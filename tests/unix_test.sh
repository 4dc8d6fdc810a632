#!/usr/bin/env bash
# What telvanor offers as an installed Unix tool: the manual page, the install
# tree, the Debian package, the bash completion and the built-in help.
# Usage: unix_test.sh man|install|package|completion|help SOURCE_DIR BUILD_DIR
# Exit status 77 means that a tool the check needs is missing here.
set -u
what=$1 src=$2 build=$3
bin=$build/telvanor
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
need() {
  command -v "$1" >/dev/null || {
    echo "SKIP: $1 is not installed"
    exit 77
  }
}

case $what in
  man)
    need groff
    warnings=$(groff -man -Tutf8 -ww "$src/man/telvanor.1" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "groff warns: $warnings"
    # Every option letter of the usage line has its own entry.
    for opt in '\-a' '\-b' '\-c' '\-d' '\-e' '\-f' '\-g' '\-i' '\-j' '\-l' '\-m' '\-n' '\-p' '\-r' \
      '\-R' '\-s' '\-u' '\-\-help' '\-\-version'; do
      OPT=$opt awk '($1 == ".B" || $1 == ".BI") && $2 == ENVIRON["OPT"] { found = 1 }
        END { exit !found }' "$src/man/telvanor.1" || fail "no entry for $opt"
    done
    ;;

  install)
    DESTDIR=$tmp/root cmake --install "$build" --prefix /opt/telvanor --strip >/dev/null ||
      fail "install"
    prefix=$tmp/root/opt/telvanor
    for f in bin/telvanor share/man/man1/telvanor.1.gz share/bash-completion/completions/telvanor \
      share/doc/telvanor/copyright share/doc/telvanor/changelog.gz; do
      [[ -f $prefix/$f ]] || fail "$f not installed"
    done
    out=$(cd "$src/examples" && "$prefix/bin/telvanor" prog.asm)
    [[ $out == "$(cat "$src/tests/cases/overview_plain/stdout")" ]] || fail "installed binary: $out"
    ;;

  package)
    need dpkg-deb
    cpack -G DEB -B "$tmp" --config "$build/CPackConfig.cmake" >/dev/null || fail "cpack"
    deb=$(ls "$tmp"/telvanor_*.deb 2>/dev/null | head -1)
    [[ -n $deb ]] || fail "no .deb built"
    contents=$(dpkg-deb -c "$deb" 2>/dev/null)
    for f in ./usr/bin/telvanor ./usr/share/man/man1/telvanor.1.gz \
      ./usr/share/bash-completion/completions/telvanor ./usr/share/doc/telvanor/copyright \
      ./usr/share/doc/telvanor/changelog.gz; do
      grep -q " $f\$" <<<"$contents" || fail "$f missing from the package"
    done
    [[ $(dpkg-deb -f "$deb" Package) == telvanor ]] || fail "package name"
    dpkg-deb -x "$deb" "$tmp/x"
    doc=$tmp/x/usr/share/doc/telvanor
    cmp -s "$doc/copyright" "$src/LICENSE" || fail "copyright is not LICENSE"
    zcat "$tmp/x/usr/share/man/man1/telvanor.1.gz" | cmp -s - "$src/man/telvanor.1" ||
      fail "packaged manual page"
    # The changelog must tell of the version that is being packaged.
    version=$(dpkg-deb -f "$deb" Version)
    [[ $(zcat "$doc/changelog.gz" | head -1) == "telvanor ($version) "* ]] ||
      fail "changelog does not begin with version $version"
    if command -v lintian >/dev/null; then
      # Errors and warnings; the informational tags are matters of taste.
      tags=$(lintian "$deb" 2>/dev/null)
      [[ -z $tags ]] || fail "lintian: $tags"
    elif [[ ${CI:-} == true ]]; then
      fail "lintian is not installed"
    elif ((failures == 0)); then
      echo "SKIP: lintian is not installed; the rest of the package is right"
      exit 77
    fi
    ;;

  completion)
    mkdir "$tmp/dir" && cd "$tmp/dir" && touch a.asm b.s c.S d.c && mkdir sub
    # shellcheck source=/dev/null
    source "$src/completion/telvanor.bash"
    check() { # expected reply, then the words of the command line
      local want=$1
      shift
      COMP_WORDS=("$@")
      COMP_CWORD=$(($# - 1))
      _telvanor
      local got
      got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ')
      [[ $got == "$want" ]] || fail "[$*] completes to '$got', not '$want'"
    }
    check '--help --version -R -a -b -c -d -e -f -g -i -j -l -m -n -p -r -s -u ' telvanor -
    check '-R -a -b -c -d -e -f -g -i -j -l -m -n -p -r -s -u ' telvanor -g -
    check 'aarch64 arm ' telvanor -apm a
    check 'a.asm ' telvanor -m arm a
    check '_ x ' telvanor -ljei ''
    check ' ' telvanor -gfb -R ''
    check 'a.asm ' telvanor -pu a
    check '_ x ' telvanor -i ''
    check '_ x ' telvanor -pgi ''
    check 'x ' telvanor -n -i x
    check ' ' telvanor -d ''
    check ' ' telvanor -R ''
    check 'a.asm b.s c.S sub ' telvanor ''
    check 'a.asm b.s c.S sub ' telvanor -i x -R start ''
    check 'a.asm ' telvanor -c a
    check ' ' telvanor a.asm -
    check ' ' telvanor -- -
    ;;

  help)
    # Everything the usage line offers is described by --help.
    help=$("$bin" --help) || fail "--help status"
    for opt in a b c d e f g i j l m n p r R s u; do
      grep -q "^  -$opt " <<<"$help" || fail "--help does not describe -$opt"
    done
    # The long options must not report success when their output is lost.
    for opt in --help --version; do
      if [[ -w /dev/full ]]; then
        err=$("$bin" $opt 2>&1 >/dev/full)
        status=$?
        [[ $status == 1 && $err == "write error: "* ]] || fail "$opt >/dev/full: $status '$err'"
      fi
    done
    ;;
esac
exit $((failures > 0))
