# Shared by scripts/run, scripts/test and scripts/package: install what the build needs and build.
# shellcheck shell=bash

KORVALEN_PACKAGES=(
    g++ cmake ninja-build pkgconf
    qt6-base-dev qt6-svg-dev qt6-translations-l10n libqt6svg6
    libbenchmark-dev
    xvfb xauth xdotool imagemagick fonts-dejavu-core
    desktop-file-utils appstream dpkg-dev file shared-mime-info python3-debian
    weston qt6-wayland iproute2
    libcanberra-dev libcanberra-pulse sound-theme-freedesktop pulseaudio pulseaudio-utils
    libminiupnpc-dev libnatpmp-dev miniupnpd-nftables miniupnpc natpmpc nftables
)

# ensure_packages [more packages...]: installs the Debian packages that are missing (those the
# build needs and the ones given), quietly, with one apt-get update.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "${KORVALEN_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    # Another apt run (the desktop's updater, right after boot) may hold the lock: wait for it.
    local wait=(-o DPkg::Lock::Timeout=600)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "${wait[@]}" update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "${wait[@]}" install -y -qq \
        --no-install-recommends "${missing[@]}" >/dev/null
}

# For scripts/fuzz: clang, and the libFuzzer and sanitizer runtimes of its version, which clang's
# packages only recommend.
ensure_fuzz_packages() {
    ensure_packages clang
    ensure_packages "libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"
}

# configure DIR [cmake options...]: configures DIR the first time, and afresh whenever the
# options differ from those it was last configured with by these scripts. A folder configured
# by hand keeps its settings; options given for it are added to them.
configure() {
    local dir=$1
    shift
    local stamp=$dir/korvalen-options
    local wanted
    wanted=$(printf '%s\n' "$@")
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    elif [ -f "$stamp" ]; then
        [ "$(cat "$stamp")" = "$wanted" ] && return 0
        echo "Configuring $dir afresh for: ${*:-the default options}"
        cmake --fresh -S . -B "$dir" -G Ninja "$@" >/dev/null
    elif [ $# -gt 0 ]; then
        cmake -S . -B "$dir" "$@" >/dev/null
    else
        return 0
    fi
    printf '%s\n' "$wanted" >"$stamp"
}

# build DIR [cmake options...]: configures DIR as above and builds everything in it.
build() {
    configure "$@"
    cmake --build "$1" -- -j"$(nproc)"
}

# build_program DIR: configures DIR as above and builds the window program and what it needs
# at run time, no tests and no benchmarks.
build_program() {
    configure "$1"
    cmake --build "$1" --target korvalen -- -j"$(nproc)"
}
