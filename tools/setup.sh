#!/usr/bin/env bash
# Installs what the build and the tests need, once. Does nothing when everything is there.
set -eu
PKGS=(g++ cmake ninja-build make pkg-config ccache libsodium-dev
      qt6-base-dev libpng-dev libjpeg-dev libtiff-dev zlib1g-dev
      libgtest-dev libgmock-dev libbenchmark-dev libfmt-dev libuemf-dev libssl-dev libsqlite3-dev libjemalloc-dev
      qt6-svg-dev emf2svg poppler-utils cups qt6-translations-l10n
      fonts-liberation2 fontconfig locales xvfb xdotool xclip x11-apps x11-utils)
# A window manager for the real-window tests: title bars, focus and dialogs as a desktop gives them.
PKGS+=(openbox)
# `make fuzz` (tools/setup.sh fuzz) also needs clang with its fuzzer and sanitizer runtimes.
if [ "${1:-}" = fuzz ]; then PKGS+=(clang libclang-rt-14-dev); fi
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
# Tests check that number text ignores the user's locale: they need a comma-decimal locale.
need_locale() { locale -a 2>/dev/null | grep -qi "^$1\.utf-\?8$"; }
for loc in ru_RU de_DE; do
  if ! need_locale "$loc"; then
    $SUDO localedef -i "$loc" -f UTF-8 "$loc.UTF-8" || echo "warning: could not generate $loc.UTF-8" >&2
  fi
done
