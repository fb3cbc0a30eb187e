#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need, only those missing.
# Usage: install-packages.sh [native] [win32] [win64] [run]
# (win64: the x86-64 cross compiler and wine64, for machines that cannot run
# 32-bit programs.)
source "$(dirname "$0")/common.sh"

want_native=0 want_win32=0 want_win64=0 want_run=0
for a in "$@"; do
    case "$a" in
        native) want_native=1 ;;
        win32) want_win32=1 ;;
        win64) want_win64=1 ;;
        run) want_run=1 ;;
        *) die "unknown package group '$a'" ;;
    esac
done

pkgs=(cmake ninja-build g++ pkg-config ca-certificates locales)
# openttd-openmsx: Standard MIDI Files written elsewhere, which the MIDI tests
# play through both builds' lvtool. ffmpeg makes the test movies; Wine's
# DirectShow plays AVI through GStreamer's plug-ins of Wine's own width. The
# IPA fonts give Wine a real Japanese face for the text tests.
if [ $want_native = 1 ]; then
    pkgs+=(clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
        zlib1g-dev libpng-dev libjpeg62-turbo-dev libogg-dev libvorbis-dev libmpg123-dev libpixman-1-dev
        mpg123 vorbis-tools lame sox sound-theme-freedesktop openttd-openmsx
        imagemagick libjpeg-turbo-progs)
fi
if [ $want_win32 = 1 ] || [ $want_run = 1 ]; then
    pkgs+=(g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-tools nasm libz-mingw-w64-dev
        googletest dpkg-dev patch xz-utils bzip2
        wine wine32:i386 xvfb xauth x11-utils xdotool imagemagick alsa-utils
        openttd-openmsx ffmpeg fonts-ipafont-gothic fonts-ipafont-mincho
        gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386)
fi
if [ $want_win64 = 1 ]; then
    pkgs+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64
        gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav gstreamer1.0-plugins-bad
        fonts-ipafont-gothic fonts-ipafont-mincho)
fi

missing=()
for p in "${pkgs[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
done

need_i386=0
for p in "${missing[@]}"; do [[ "$p" == *:i386 ]] && need_i386=1; done
if [ $need_i386 = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
fi

# Source packages (the win32 dependencies) need deb-src entries.
need_src=0
if [ $want_win32 = 1 ] || [ $want_run = 1 ]; then
    if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        need_src=1
    fi
fi
if [ $need_src = 1 ]; then
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        as_root sed -i -E 's/^Types: deb$/Types: deb deb-src/' "$f"
    done
    if [ -f /etc/apt/sources.list ]; then
        as_root sed -i -E 's/^deb (.*)$/deb \1\ndeb-src \1/' /etc/apt/sources.list
    fi
    grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/ \
        || die "could not add deb-src entries to the apt sources"
fi

ensure_locales() {
    # The Wine tests run under a Japanese and an English locale.
    local want=(ja_JP.UTF-8 en_US.UTF-8) gen=0 l
    for l in "${want[@]}"; do
        if ! locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}"; then
            grep -qx "$l UTF-8" /etc/locale.gen 2>/dev/null || echo "$l UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
            gen=1
        fi
    done
    if [ $gen = 1 ]; then
        run_logged locale-gen as_root locale-gen
    fi
}

if [ ${#missing[@]} -eq 0 ] && [ $need_src = 0 ]; then
    ensure_locales
    exit 0
fi

note "installing ${#missing[@]} system package(s): ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
run_logged apt-update as_root apt-get update
for p in "${missing[@]}"; do
    apt-cache show "$p" >/dev/null 2>&1 || die "system package '$p' is not available from the apt sources"
done
run_logged apt-install as_root apt-get install -y --no-install-recommends "${missing[@]}"
ensure_locales
