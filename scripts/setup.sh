#!/usr/bin/env bash
# Installs the Debian 12 packages QuorvelCal needs to build, run and test, when they are missing.
# Safe to rerun: it installs nothing that is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    fonts-noto-cjk fonts-arphic-ukai qt6-translations-l10n
    xdg-utils fcitx5-frontend-qt6
)
if [[ "${1:-}" == "--test" ]]; then
    packages+=(clang clang-format clang-tidy libclang-rt-14-dev xvfb xauth dbus dbus-x11
               desktop-file-utils appstream imagemagick
               python3-pytest python3-pyatspi at-spi2-core trayer xdotool libfaketime)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
