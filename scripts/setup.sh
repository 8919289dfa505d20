#!/usr/bin/env bash
# Installs the Debian packages korvid needs to build, run and test, skipping those already
# present, so a second run costs seconds.
set -euo pipefail

packages=(
  # toolchain and test tools
  g++ cmake ninja-build pkgconf git
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  # desktop, text, images
  libx11-dev libxext-dev libxtst-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-liberation fonts-wqy-microhei
  libjpeg62-turbo-dev
  # video, audio
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev ffmpeg
  libsdl2-dev
  # reference decoders the tests compare against, desktop smoke test
  libgif-dev giflib-tools imagemagick xvfb xdotool x11-apps
  # a small window manager for the desktop tests that drag, minimise and maximise
  openbox
  # the format check the test script runs, and the fuzz preset's compiler and libFuzzer
  clang-format clang libclang-rt-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
