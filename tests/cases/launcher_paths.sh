# Paths between a test script and the launcher it runs, sourced by the end-to-end scripts. They
# set $emulator first: empty for the native build, the Wine loader for the Windows build.

# native_path PATH: PATH as the launcher sees it (Wine shows the root of the file system as drive
# Z:, with backslashes).
native_path() {
    if [ -n "$emulator" ]; then
        local p="Z:$1"
        echo "${p//\//\\}"
    else
        echo "$1"
    fi
}

# local_path PATH: a path the launcher printed, as this shell sees it.
local_path() {
    if [ -n "$emulator" ]; then sed 's|^Z:||; s|\\|/|g' <<<"$1"; else echo "$1"; fi
}
