#!/usr/bin/env bash
# The one list of Debian packages the project needs to build, test, fuzz and
# benchmark. Installs only what is missing; runs apt-get update once first.
set -euo pipefail

PACKAGES=(
  # toolchain
  g++ clang libclang-rt-14-dev cmake ninja-build pkg-config python3
  # test and benchmark frameworks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # libraries the system calls
  zlib1g-dev
  libjpeg62-turbo-dev
  # platform layer: window, input, fonts, text conversion
  libsdl2-dev libx11-dev libfreetype-dev libfontconfig-dev fonts-wqy-zenhei
  # audio: MIDI synthesis with a General MIDI soundfont, streams from memory
  libfluidsynth-dev timgm6mb-soundfont libsdl2-mixer-dev
  # picture decoding (bmp, gif with its frames, jpg, png, ico, tif, tga, pcx)
  libsdl2-image-dev
  # FTP upload, HTTP downloads (notice file, web pages)
  libcurl4-openssl-dev
  # embedded web pages: HTML and CSS layout
  liblitehtml-dev
  # test-only: an independent AES to check ours against, and the scripted
  # server's AES (tools/wire)
  libssl-dev
  # test-only: real proxies for the proxy socket's tests
  dante-server tinyproxy
  # test-only: a local FTP server for the upload tests
  python3-pyftpdlib
  # visual checks of the window under a virtual X server
  xvfb xauth
  # the play script's pictures of the window (xwd)
  x11-apps
  # the replay check: presses in the window, and the desktop's way of
  # opening a file by its type (the MIME database, the desktop entries'
  # index, xdg-mime and GIO)
  xdotool shared-mime-info desktop-file-utils xdg-utils libglib2.0-bin
  # QR-code pictures from server texts
  libqrencode-dev
  # benchmark-only: pixman, the anchor the rasteriser is measured against
  libpixman-1-dev
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "deps: all ${#PACKAGES[@]} packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "deps: installing ${missing[*]}"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
