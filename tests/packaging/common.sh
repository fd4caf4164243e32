# shellcheck shell=bash
# Shared by the packaging tests. Source it.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# expected_files ID "SIZES": every file the installation holds, relative to its root, sorted.
expected_files() {
    local id=$1 size
    {
        echo usr/bin/pagiscopo
        echo usr/bin/pagiscopo-server
        echo usr/libexec/pagiscopo/pagiscopo-ocr
        echo "usr/share/applications/$id.desktop"
        echo "usr/share/metainfo/$id.metainfo.xml"
        for size in $2; do
            echo "usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
        done
        echo "usr/share/icons/hicolor/scalable/apps/$id.svg"
        echo usr/share/man/man1/pagiscopo.1.gz
        echo usr/share/man/man1/pagiscopo-server.1.gz
        echo usr/share/doc/pagiscopo/copyright
        echo usr/share/doc/pagiscopo/changelog.gz
    } | LC_ALL=C sort
}

# same_lists WHAT EXPECTED ACTUAL: fails with the difference when the two sorted lists differ.
same_lists() {
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1 differ from what is expected (< expected, > found):" >&2
        diff <(echo "$2") <(echo "$3") >&2 || true
        exit 1
    fi
}
