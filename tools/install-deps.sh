#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing キーストーム
# need. Installs only what is missing, so a second run does nothing.
set -euo pipefail

packages=(
    build-essential cmake make pkg-config
    dpkg-dev file                # make package: dpkg-shlibdeps finds the package's dependencies
    libgtest-dev libbenchmark-dev
    clang libclang-rt-14-dev     # make fuzz: libFuzzer with ASan and UBSan
    clang-format clang-tidy      # make lint
    python3                      # tools/make_roumazi.py
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libegl-dev libxkbcommon-dev
    qt6-translations-l10n        # Qt's own dialogs (the file dialog) in Japanese
    libsdl2-dev libsdl2-mixer-dev
    libfluidsynth-dev            # the sound tests render tunes through FluidSynth itself
    libfontconfig-dev            # the fonts are read while the display connects
    libsqlite3-dev               # the records of every run
    libxcb1-dev                  # the records window reads the X keyboard layout
    timgm6mb-soundfont           # General MIDI for the music; only a Recommends of SDL_mixer
    fonts-ipafont-gothic         # IPA P Gothic stands in for the screens' font
    mecab mecab-ipadic-utf8 libmecab-dev  # ksdtool readings: kana readings of plain Japanese
    xvfb xauth                   # make perf and the desktop tests: the game in a virtual display
    openbox                      # the desktop tests: a window manager, as players have one
    libx11-dev libxtst-dev libxdamage-dev  # make perf: keys sent and repaints seen
)

missing=()
for p in "${packages[@]}"; do
    if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
