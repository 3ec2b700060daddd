# Sourced by the build scripts: installs the Debian packages a step needs when they are missing.
# Usage: orv_need_packages pkg...
orv_need_packages() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "installing: ${missing[*]}" >&2
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    # A package of another architecture (wine32:i386) needs that architecture enabled first.
    for pkg in "${missing[@]}"; do
        if [[ $pkg == *:* ]] && ! dpkg --print-foreign-architectures | grep -qx "${pkg#*:}"; then
            $sudo dpkg --add-architecture "${pkg#*:}"
        fi
    done
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# What every build needs.
ORV_BASE_PACKAGES=(g++ cmake make pkg-config libgtest-dev libpng-dev frei0r-plugins-dev libopenimageio-dev libcpp-httplib-dev)
# What the Debian package needs: dpkg-shlibdeps and file (CPack's dependency list), lintian (its check).
ORV_PACKAGE_PACKAGES=(dpkg-dev file lintian)
