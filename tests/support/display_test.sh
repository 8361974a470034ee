# Shared by the tests that drive a real window on an X display; source it after setting `log` (the file
# whose tail explains a failure, with `log_prefix` before each of its lines) and, once started, `pid`.
#
# skip REASON: exit 77 (skipped), or fail when KIS_EXPECT_DISPLAY says a display was promised.
# fail REASON: report, show the log's tail, stop the program under test, exit 1.
# require_display: skip without a display or without xdotool and ImageMagick's import.

skip() {
    if [[ -n "${KIS_EXPECT_DISPLAY:-}" ]]; then
        echo "FAIL: $1" >&2
        exit 1
    fi
    echo "skipped: $1"
    exit 77
}

fail() {
    echo "FAIL: $1" >&2
    [[ -n "${log:-}" && -f "$log" ]] && grep -v '^[|+]' "$log" | tail -n 20 | sed "s/^/${log_prefix:-}/" >&2
    [[ -n "${pid:-}" ]] && kill "$pid" 2>/dev/null
    exit 1
}

require_display() {
    [[ -n "${DISPLAY:-}" ]] || skip "no DISPLAY"
    local tool
    for tool in xdotool import; do
        command -v "$tool" >/dev/null 2>&1 || skip "$tool is missing"
    done
}

# demo_sandbox MAKE_DEMO SOURCE_DIR WORK: makes the demo medium in WORK/medium and a sandbox in WORK/sandbox
# with every built-in folder redirected into it (KIS_<NAME>); sets `sandbox` and `target`, the location the
# demo installs to.
demo_sandbox() {
    local name
    rm -rf "$3"
    mkdir -p "$3/sandbox"
    "$1" "$2/examples/demo" "$3/medium" >/dev/null || fail "the demo medium could not be made"
    sandbox=$3/sandbox
    for name in OS_FOLDER SYSTEM_FOLDER TEMP_FOLDER DESKTOP_FOLDER DOCUMENTS_FOLDER PROGRAMFILES_FOLDER \
        RTAS_FOLDER VST_FOLDER STARTMENU_FOLDER; do
        mkdir -p "$sandbox/$name"
        export "KIS_$name=$sandbox/$name"
    done
    target="$sandbox/PROGRAMFILES_FOLDER/Northwind Audio/Aurora Drums"
}
