# Package lists and the installer shared by run.sh and test.sh. Installs only what is
# missing, and says nothing when nothing is.
KESTROVA_BUILD_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev qt6-multimedia-dev qt6-svg-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  libopenmpt-dev libsoundtouch-dev libmediainfo-dev libarchive-dev libsdl2-dev libaubio-dev
  libxcb1-dev libxcb-keysyms1-dev libxcb-xtest0-dev x11proto-dev libxkbcommon-dev
)
# What running the program wants beside the libraries: a sound server to play through, a
# font with Chinese characters for the interface texts, Qt's own texts in Chinese, the
# speech synthesis that makes the demo lesson of the first start, the stream plugins the
# radio page plays through (HTTP with ICY titles, MP3, AAC and the rest through libav).
KESTROVA_STREAM_PACKAGES=(gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav)
KESTROVA_RUN_PACKAGES=(pulseaudio pulseaudio-utils fonts-wqy-microhei qt6-translations-l10n
  espeak-ng sox libsox-fmt-all "${KESTROVA_STREAM_PACKAGES[@]}")
# Media fixtures, the headless display, and the private sound server of the device tests.
KESTROVA_TEST_PACKAGES=(sox libsox-fmt-all ffmpeg espeak-ng xvfb xauth pulseaudio pulseaudio-utils
  dbus-daemon desktop-file-utils appstream dpkg-dev poppler-utils "${KESTROVA_STREAM_PACKAGES[@]}")

kestrova_install() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  local log
  log=$(mktemp)
  if ! { $sudo apt-get update -qq &&
         DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
           "${missing[@]}"; } >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "Installing ${missing[*]} failed." >&2
    return 1
  fi
  rm -f "$log"
}

# Configures and builds quietly; the compiler's output is shown only when the build fails.
kestrova_build() {
  local dir=$1
  shift
  local log
  log=$(mktemp)
  if ! { cmake -S . -B "$dir" -G Ninja "$@" && cmake --build "$dir"; } >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "The build in $dir failed." >&2
    return 1
  fi
  rm -f "$log"
}
