#!/bin/bash
# Builds the Debian package into a scratch folder and holds its contents to
# what an installed game needs: the program with every shipped file beside
# it and the marker that says it is installed, the commands on the PATH, the
# launcher entry and icon, the copyright file, stripped programs, and the
# packages the game cannot run without. Usage: deb_contents_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
command -v dpkg-deb >/dev/null || { echo "dpkg-deb missing"; exit 77; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$build" && cpack -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1) ||
    { cat "$scratch/cpack.log"; exit 1; }
debs=("$scratch"/keystorm_*.deb)
[ -f "${debs[0]}" ] || { echo "no .deb built"; exit 1; }
deb=${debs[0]}

dpkg-deb -c "$deb" | awk '{ print $6 ($7 ? " " $7 " " $8 : "") }' | sed 's|^\./|/|' >"$scratch/list"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

expected=(
    "/usr/bin/keystorm -> ../lib/keystorm/keystorm"
    "/usr/bin/keystorm-ksdtool -> ../lib/keystorm/ksdtool"
    /usr/lib/keystorm/keystorm
    /usr/lib/keystorm/ksdtool
    /usr/lib/keystorm/keystorm.installed
    /usr/share/doc/keystorm/copyright
    /usr/lib/keystorm/settei.dat
    /usr/lib/keystorm/roumazi.dat
    /usr/lib/keystorm/moko.wav
    /usr/lib/keystorm/music/keystorm.mid
    /usr/lib/keystorm/music/battle.mid
    /usr/lib/keystorm/music/ending.mid
    /usr/share/applications/keystorm.desktop
    /usr/share/icons/hicolor/scalable/apps/keystorm.svg
)
for n in 1 2 3 4 5; do expected+=("/usr/lib/keystorm/exam$n.ksd"); done
for f in "$source"/data/practice/*.ksd; do expected+=("/usr/lib/keystorm/practice/$(basename "$f")"); done
for target in standard fruit; do
    for f in brake.wav gun.wav miss.wav set.wav target.bmp; do
        expected+=("/usr/lib/keystorm/practice/$target/$f")
    done
done
for path in "${expected[@]}"; do
    grep -qxF -- "$path" "$scratch/list" || fail "missing $path"
done

# Nothing from a developer's build slips in: no tests, no scratch files, no
# scores a developer's play has written.
grep -E '(_tests|\.ks-|/tests?/|CMake|\.o$)' "$scratch/list" && fail "build files in the package"

dpkg-deb -x "$deb" "$scratch/root"
for f in settei.dat roumazi.dat exam1.ksd; do
    cmp -s "$source/data/$f" "$scratch/root/usr/lib/keystorm/$f" ||
        fail "$f differs from the shipped source"
done
[ -x "$scratch/root/usr/lib/keystorm/keystorm" ] || fail "program not executable"
for program in keystorm ksdtool; do
    description=$(file -b "$scratch/root/usr/lib/keystorm/$program")
    [[ $description == *", stripped"* ]] || fail "$program is not stripped: $description"
done
grep -q '^Files: \*' "$scratch/root/usr/share/doc/keystorm/copyright" ||
    fail "copyright file does not cover the package's files"
grep -qx 'Exec=keystorm' "$scratch/root/usr/share/applications/keystorm.desktop" ||
    fail "launcher does not run keystorm"
grep -qx 'Icon=keystorm' "$scratch/root/usr/share/applications/keystorm.desktop" ||
    fail "launcher names another icon"
# Exactly one of the desktop menus' main categories, or menus list the game twice.
categories=$(sed -n 's/^Categories=//p' "$scratch/root/usr/share/applications/keystorm.desktop")
main=0
for category in ${categories//;/ }; do
    case $category in
    AudioVideo | Audio | Video | Development | Education | Game | Graphics | Network | Office | \
        Science | Settings | System | Utility) main=$((main + 1)) ;;
    esac
done
[ "$main" -eq 1 ] || fail "launcher has $main main categories: $categories"

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libsdl2-mixer libsqlite3-0 fonts-ipafont-gothic timgm6mb-soundfont \
    libmecab2 mecab-ipadic-utf8 qt6-translations-l10n; do
    [[ $depends == *"$package"* ]] || fail "Depends lacks $package: $depends"
done

[ "$failures" -eq 0 ] && echo "ok: $(wc -l <"$scratch/list") paths"
exit "$failures"
