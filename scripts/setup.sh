#!/usr/bin/env bash
# Installs the Debian 12 packages QuorvelCal needs to build, run and test, when they are missing.
# Safe to rerun: it installs nothing that is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    fonts-noto-cjk fonts-arphic-ukai fonts-arphic-uming fonts-liberation qt6-translations-l10n
    xdg-utils fcitx5-frontend-qt6 qt6-wayland
)
if [[ "${1:-}" == "--test" ]]; then
    packages+=(clang clang-format clang-tidy libclang-rt-14-dev xvfb xauth dbus dbus-x11
               desktop-file-utils appstream imagemagick
               python3-pytest python3-pyatspi at-spi2-core trayer xdotool libfaketime openbox sway grim
               valgrind)
    packages+=(locales shellcheck)
    packages+=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine unzip)
fi

# The locales the texts are checked under, generated once.
ensure_locales() {
    local wanted=(zh_CN.UTF-8 en_US.UTF-8) absent=() l
    for l in "${wanted[@]}"; do
        locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}" || absent+=("$l")
    done
    [[ ${#absent[@]} -eq 0 ]] && return 0
    for l in "${absent[@]}"; do
        "${sudo[@]}" sed -i "s/^# *\(${l} UTF-8\)/\1/" /etc/locale.gen
        grep -qx "${l} UTF-8" /etc/locale.gen || echo "${l} UTF-8" | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
    done
    "${sudo[@]}" locale-gen >/dev/null
}

sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [[ ${#missing[@]} -gt 0 ]]; then
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    # sudo drops the environment, so the non-interactive front end goes through env.
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
[[ "${1:-}" == "--test" ]] && ensure_locales
exit 0
