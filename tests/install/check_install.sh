#!/usr/bin/env bash
# Installs the build tree under a few prefixes (into a scratch DESTDIR) and checks what a user's machine
# would get: the program with its files in one private folder, bin/ravenmark a relative link to it, and
# the menu entry, icons and AppStream description under share/, consistent with each other.
#
#   check_install.sh BUILD_DIR APP_ID VERSION "ICON_SIZES" RUNTIME_FILE...
set -euo pipefail

if (($# < 4)); then
    echo "usage: $0 BUILD_DIR APP_ID VERSION \"ICON_SIZES\" RUNTIME_FILE..." >&2
    exit 2
fi
build=$1 app_id=$2 version=$3
read -r -a icon_sizes <<<"$4"
shift 4
runtime_files=("$@")

work=$(mktemp -d "${TMPDIR:-/tmp}/ravenmark-install.XXXXXX")
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
    echo "FAIL [$prefix]: $*" >&2
    failures=$((failures + 1))
}

# WIDTHxHEIGHT of a PNG, from its header.
png_size() {
    python3 -c 'import struct, sys
data = open(sys.argv[1], "rb").read(24)
assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
print("%dx%d" % struct.unpack(">II", data[16:24]))' "$1"
}

# The value of KEY in the [Desktop Entry] group of a desktop file.
desktop_value() {
    awk -F= -v key="$2" '/^\[/ {group = $0} group == "[Desktop Entry]" && $1 == key {sub(/^[^=]*=/, ""); print; exit}' "$1"
}

# The distribution's own prefix, the default one, and one with a space in it.
for prefix in /usr /usr/local "/opt/Ravenmark Test"; do
    root="$work/root${prefix}"
    if ! DESTDIR="$work/root" cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
        fail "cmake --install failed"
        cat "$work/install.log" >&2
        continue
    fi

    pkgdir="$root/lib/ravenmark"
    program="$pkgdir/ravenmark"
    [[ -f "$program" && ! -L "$program" && -x "$program" ]] || fail "no executable program at lib/ravenmark/ravenmark"
    # Libraries come from the system's paths only, as a distribution's package requires.
    if readelf -d "$program" 2>/dev/null | grep -Eq '\((RPATH|RUNPATH)\)'; then
        fail "the installed program carries a library search path: $(readelf -d "$program" | grep -E 'R(UN)?PATH')"
    fi

    # bin/ holds the link and nothing else of ours: a file beside the link would not be found by the
    # program, whose folder is the link's target's.
    link="$root/bin/ravenmark"
    if [[ ! -L "$link" ]]; then
        fail "bin/ravenmark is not a symbolic link"
    else
        target=$(readlink "$link")
        [[ "$target" != /* ]] || fail "bin/ravenmark points at an absolute path ($target)"
        [[ "$(realpath "$link")" == "$(realpath "$program")" ]] || fail "bin/ravenmark does not lead to the program ($target)"
    fi
    extra=$(find "$root/bin" -mindepth 1 ! -name ravenmark)
    [[ -z "$extra" ]] || fail "bin/ holds more than the link: $extra"

    for file in "${runtime_files[@]}"; do
        name=$(basename "$file")
        if [[ ! -f "$pkgdir/$name" ]]; then
            fail "$name is not installed beside the program"
        elif ! cmp -s "$file" "$pkgdir/$name"; then
            fail "the installed $name differs from $file"
        fi
    done

    share="$root/share"
    desktop="$share/applications/$app_id.desktop"
    metainfo="$share/metainfo/$app_id.metainfo.xml"
    [[ -f "$desktop" ]] || fail "no menu entry share/applications/$app_id.desktop"
    [[ -f "$metainfo" ]] || fail "no AppStream description share/metainfo/$app_id.metainfo.xml"
    [[ -f "$share/icons/hicolor/scalable/apps/$app_id.svg" ]] || fail "no scalable icon"
    for size in "${icon_sizes[@]}"; do
        png="$share/icons/hicolor/${size}x${size}/apps/$app_id.png"
        if [[ ! -f "$png" ]]; then
            fail "no ${size}x${size} icon"
        elif [[ "$(png_size "$png")" != "${size}x${size}" ]]; then
            fail "the ${size}x${size} icon is $(png_size "$png")"
        fi
    done

    if [[ -f "$desktop" ]]; then
        # The menu starts the program through PATH; its icon is looked up by name in the icon theme.
        exec_word=$(desktop_value "$desktop" Exec | awk '{print $1}')
        [[ -L "$root/bin/$exec_word" ]] || fail "the menu entry runs '$exec_word', which is not in bin/"
        icon=$(desktop_value "$desktop" Icon)
        [[ "$icon" == "$app_id" ]] || fail "the menu entry's icon is '$icon', not $app_id"
    fi
    if [[ -f "$metainfo" ]]; then
        newest=$(grep -o '<release [^>]*version="[^"]*"' "$metainfo" | head -n 1 | sed 's/.*version="\([^"]*\)"/\1/')
        [[ "$newest" == "$version" ]] || fail "the newest release described is '$newest', the program is $version"
        # The description and the menu entry it names, as an installed tree; --strict also fails a tree in
        # which it finds no description at all.
        appstreamcli validate-tree --strict --no-net "$root" >"$work/tree.log" 2>&1 ||
            { fail "appstreamcli validate-tree"; cat "$work/tree.log" >&2; }
    fi
    rm -rf "$work/root"
done

if ((failures)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "install layout: every check passed"
