#!/usr/bin/env bash
# Installs the Debian packages Nibbly builds and runs with, only those missing.
set -euo pipefail

# fonts-noto-cjk and python3-fonttools build the game's own cut of the serif face.
packages=(g++ cmake make pkg-config qt6-base-dev qt6-qpa-plugins qt6-wayland libgl-dev
          libsdl2-dev libxcb-xkb-dev libwayland-dev fonts-noto-cjk python3-fonttools fonts-dejavu-core)
# --tests: the suite and the end-to-end run on a real X desktop, Wayland compositors (sway, with
# wtype for keys and our own pointer tool built from the protocols; mutter, through its D-Bus
# services, with pictures by PipeWire; KWin, through its fake input and screenshot services)
# and the desktop's file types;
# --package: the .deb; --fuzz: clang and its fuzzing runtime.
if [ "${1:-}" = "--tests" ]; then
    packages+=(libgtest-dev libbenchmark-dev xvfb openbox xdotool x11-utils x11-xserver-utils
               imagemagick weston desktop-file-utils appstream lintian shared-mime-info
               libglib2.0-bin libxml2-utils sway wtype grim wayland-protocols
               plasma-wayland-protocols mutter pipewire wireplumber gstreamer1.0-pipewire
               gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good dbus
               python3-dbus python3-gi kwin-wayland)
fi
if [ "${1:-}" = "--package" ]; then
    packages+=(dpkg-dev)
fi
if [ "${1:-}" = "--fuzz" ]; then
    packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "deps.sh: missing packages: ${missing[*]}" >&2
        echo "deps.sh: as root, run: apt-get install --no-install-recommends ${missing[*]}" >&2
        exit 1
    fi
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
