# The fetch steps of the dependency builds. Sourced after common.sh, with
# $downloads (the download cache) and $work (the scratch folder) set.

# fetch NAME VERSION SHA256: the upstream tarball of a Debian source package,
# downloaded once and checked against the pinned checksum; extracts it into
# $work/NAME and leaves the source folder's path in $src. (The benchmark
# dependencies, which are not shipped.)
fetch() {
    local name="$1" version="$2" sum="$3" tarball
    tarball=$(ls "$downloads/${name}_${version}.orig.tar."* 2>/dev/null | head -n 1 || true)
    if [ -z "$tarball" ]; then
        # apt-get may fail on an optional part (a missing upstream signature)
        # after fetching the tarball; the pinned checksum is what we trust.
        (cd "$downloads" && apt-get source --download-only -t bookworm "$name" >"$LUMIVEX_LOGS/fetch-$name.log" 2>&1) || true
        tarball=$(ls "$downloads/${name}_${version}.orig.tar."* 2>/dev/null | head -n 1 || true)
        [ -n "$tarball" ] || die "cannot fetch source package '$name' at upstream version $version (are deb-src entries in the apt sources?); see $LUMIVEX_LOGS/fetch-$name.log"
    fi
    local actual
    actual=$(sha256sum "$tarball" | cut -d' ' -f1)
    if [ "$actual" != "$sum" ]; then
        die "checksum of $(basename "$tarball") differs: expected $sum, got $actual"
    fi
    mkdir -p "$work/$name"
    tar -xf "$tarball" -C "$work/$name" --strip-components=1
    src="$work/$name"
}

# dsc_files DSC: the "sha256 size name" lines of the .dsc's Checksums-Sha256.
dsc_files() {
    awk '/^Checksums-Sha256:/ { on = 1; next } on && /^ / { print $1, $2, $3; next } { on = 0 }' "$1"
}

# fetch_source_package NAME VERSION DSC_SHA256: the Debian source package
# NAME at its exact Debian VERSION, pinned by the checksum of its .dsc; every
# file the .dsc lists is checked against the checksum the .dsc gives for it.
# Unpacks it with Debian's patch series applied into $work/NAME, leaves the
# source folder's path in $src and the applied series (one name a line) in
# $series.
fetch_source_package() {
    local name="$1" version="$2" sum="$3"
    # The file names carry the version without its epoch.
    local dsc="$downloads/${name}_${version#*:}.dsc"
    if [ ! -f "$dsc" ]; then
        # apt-get may fail on an optional part (a missing upstream signature)
        # after fetching the rest; the checksums below are what we trust.
        (cd "$downloads" && apt-get source --download-only "$name=$version" >"$LUMIVEX_LOGS/fetch-$name.log" 2>&1) || true
        [ -f "$dsc" ] || die "cannot fetch source package '$name' at version $version (are deb-src entries in the apt sources, and does the archive still carry this version?); see $LUMIVEX_LOGS/fetch-$name.log"
    fi
    local actual
    actual=$(sha256sum "$dsc" | cut -d' ' -f1)
    [ "$actual" = "$sum" ] || die "checksum of $(basename "$dsc") differs: expected $sum, got $actual"
    local fsum fsize fname listed=0
    while read -r fsum fsize fname; do
        listed=1
        if [ ! -f "$downloads/$fname" ]; then
            # An upstream signature is not part of the source.
            case "$fname" in *.asc) continue ;; esac
            die "source package '$name' $version lacks $fname in $downloads"
        fi
        actual=$(sha256sum "$downloads/$fname" | cut -d' ' -f1)
        [ "$actual" = "$fsum" ] || die "checksum of $fname differs from its .dsc: expected $fsum, got $actual"
    done < <(dsc_files "$dsc")
    [ $listed = 1 ] || die "$(basename "$dsc") lists no files with checksums"
    src="$work/$name"
    rm -rf "$src"
    # The checksums are checked above (the .dsc is pinned; its signature
    # needs Debian's keyring, which a build machine may not have).
    run_logged "unpack-$name" dpkg-source --no-check -x "$dsc" "$src"
    series="$work/$name.series"
    if [ -f "$src/debian/patches/series" ]; then
        sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$src/debian/patches/series" >"$series"
    else
        : >"$series"
    fi
    # dpkg-source names each patch it applies; every one of the series must be there.
    local patch
    while read -r patch _; do
        grep -qF "applying $patch" "$LUMIVEX_LOGS/unpack-$name.log" \
            || die "source package '$name' $version: patch $patch of its series was not applied; see $LUMIVEX_LOGS/unpack-$name.log"
    done <"$series"
}
