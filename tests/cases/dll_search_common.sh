# Sourced by the DLL search tests (cases/dll_search.sh, cases/windowed_driver.sh): the marker DLL
# planted beside a launcher under the names of the system DLLs the launcher uses, and the Wine
# setting that makes Wine prefer such a DLL to its own, as Windows does for a DLL that is not one
# of its KnownDLLs.

planted_dll_names="comctl32 shell32 ole32 comdlg32 user32 gdi32 advapi32"

# plant_marker_dlls DIR MARKER_DLL [NAME...]: a copy of the marker DLL in DIR under each name
# (by default every one of planted_dll_names).
plant_marker_dlls() {
    local dir=$1 marker=$2 name
    shift 2
    for name in ${@:-$planted_dll_names}; do
        cp "$marker" "$dir/$name.dll" || return 1
    done
}

# The WINEDLLOVERRIDES value: the planted names native first, and Wine's usual two disabled.
planted_dll_overrides() {
    echo "${planted_dll_names// /,}=n,b;mscoree,mshtml="
}

# The markers of planted DLLs that were loaded from DIR, one file name a line; nothing when none
# was.
loaded_markers() {
    (cd "$1" && ls -1 -- *.loaded 2>/dev/null)
}
