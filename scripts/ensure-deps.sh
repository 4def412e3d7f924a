#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the app and the tests need, if any are missing.
# As root it runs apt-get; otherwise it prints the exact command to run and fails.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ lld pkg-config python3-fonttools librsvg2-bin
  qt6-base-dev qt6-declarative-dev qt6-svg-dev qt6-qpa-plugins libqt6sql6-sqlite
  qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts
  qml6-module-qtquick-shapes qml6-module-qtquick-window qml6-module-qtquick-templates
  qml6-module-qtqml qml6-module-qtqml-workerscript qml6-module-qttest qml6-module-qtquick-dialogs
  libgl1-mesa-dri libgl-dev libegl1 fonts-dejavu-core fonts-inter fonts-material-design-icons-iconfont
  xvfb xauth xdotool imagemagick
  qtkeychain-qt6-dev libsecret-1-0 gnome-keyring dbus dbus-x11
  qcoro-qt6-dev libssl-dev openssl locales
  libzip-dev gdal-bin gpsbabel qml6-module-qt-labs-folderlistmodel tzdata sqlite3 poppler-utils
  libboost-dev libproj-dev proj-data libgdal-dev libpng-dev
  clang-format git
)
if [[ "${1:-}" == "--fuzz" ]]; then
  PACKAGES+=(clang libclang-rt-14-dev)
fi
# qml6-module-qtqml describes QtQml's types (Timer, Connections, Binding) to qmllint; the engine
# has them built in. clang-format (14) and git check the format of changed lines
# (scripts/check-format.sh).
# libzip unpacks KMZ plans; Qt Quick Dialogs' own file dialog needs the folder list model;
# gdal-bin's ogrinfo/ogr2ogr check our plan files in the tests.
# gpsbabel, a second independent reader, checks the flight tracks we export; sqlite3 reads the
# logbook store in its tests; tzdata's zone table names take-off places; poppler-utils' pdftotext
# reads back the analytics report.
# Survey planning clips with Boost.Geometry (headers) and places areas on a plane with PROJ.
# xdotool and imagemagick (above) drive the real app and read its window in the walk and in
# scripts/e2e-signin.sh, which also looks into the keyring.
if [[ "${1:-}" == "--e2e" ]]; then
  PACKAGES+=(libsecret-tools)
fi

# Number formatting is tested under these system locales (their decimal comma and digits).
LOCALES=(de_DE.UTF-8 fr_FR.UTF-8 ar_EG.UTF-8)
ensure_locales() {
  local want=()
  for l in "${LOCALES[@]}"; do
    locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}" || want+=("$l")
  done
  [[ ${#want[@]} -eq 0 ]] && return 0
  if [[ $(id -u) -ne 0 ]]; then
    echo "Missing locales ${want[*]}: as root, add them to /etc/locale.gen and run locale-gen" >&2
    return 1
  fi
  for l in "${want[@]}"; do
    grep -qx "$l UTF-8" /etc/locale.gen 2>/dev/null || echo "$l UTF-8" >>/etc/locale.gen
  done
  locale-gen >/dev/null
}

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && { ensure_locales; exit 0; }

if [[ $(id -u) -ne 0 ]]; then
  echo "Missing packages. Install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
ensure_locales
