# Shared by scripts/run, scripts/test and scripts/package: install what the build needs and build.
# shellcheck shell=bash

KORVALEN_PACKAGES=(
    g++ cmake ninja-build pkgconf
    qt6-base-dev qt6-svg-dev qt6-translations-l10n libqt6svg6
    libbenchmark-dev
    xvfb xauth xdotool imagemagick fonts-dejavu-core
    desktop-file-utils appstream dpkg-dev file shared-mime-info
)

# Installs the Debian packages that are missing, quietly, with one apt-get update.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "${KORVALEN_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# build DIR [cmake options...]: configure (once) and build everything in DIR.
build() {
    local dir=$1
    shift
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    fi
    cmake --build "$dir" -- -j"$(nproc)"
}
