# The fetch step of the dependency builds. Sourced after common.sh, with
# $downloads (the tarball cache) and $work (the scratch folder) set.

# fetch NAME VERSION SHA256: the upstream tarball of a Debian source package,
# downloaded once and checked against the pinned checksum; extracts it into
# $work/NAME and leaves the source folder's path in $src.
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

