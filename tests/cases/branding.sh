#!/usr/bin/env bash
# A launcher under its author's name: wizpack writes the icon, the version information, the
# execution level and the product's texts into the resources of the Windows launcher, and
# independent readers find them there.
#
#   branding.sh CASE WINE LAUNCHER WIZPACK PROBE [NATIVE_WIZPACK]
#   branding.sh linux "" LAUNCHER WIZPACK ""
#
# check      (native build) --check reports each bad line of a script with its line.
# linux      (native build) the Linux launcher shows the product name in English and German.
# resources  windres (binutils) and wrestool (icoutils) read the packed launcher back: the icon
#            group holds the .ico's images byte for byte, the version strings and numbers, the
#            manifest's execution level, the product name in every language's string table;
#            Windows itself (PROBE, cases/branding/version_probe.c, under Wine) reads
#            ProductName and FileVersion; without the new tags the base is copied unchanged.
# run        the branded launcher shows the product name with -console and no "Corvane"; it is
#            signed with osslsigncode, verifies and runs as before signing; the Linux wizpack
#            (NATIVE_WIZPACK, when given) writes the same bytes as the Windows one.
# refusals   each bad value is refused with its manifest line, and nothing is written.
set -u

case_name=$1
wine=$2
launcher=$(realpath "$3")
wizpack=$(realpath "$4")
probe=${5:+$(realpath "$5")}
native_wizpack=${6:-}
fixtures=$(realpath "$(dirname "${BASH_SOURCE[0]}")/branding")
test_name=branding.$case_name
. "$(dirname "${BASH_SOURCE[0]}")/../support/e2e.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/wiz-branding.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
cp "$launcher" base.exe
[ -n "$wine" ] && cp "$wizpack" wizpack.exe
cp "$fixtures/app.ico" "$fixtures/big.ico" .
printf 'INSTRUCTIONS:\nINITIALIZE_UI\n/:\n' >script.tag
printf 'COMMAND: java -version\n' >launch.tag
cat >texts.tag <<'TEXTS'
en:
23 "No suitable Java was found. Get one at https://acme.example/java"
/:
FALLBACK: en
TEXTS
# manifest FILE [LINE...]: a manifest onto base.exe with the LINEs, then the two entries.
manifest() {
    local file=$1
    shift
    { echo "LAUNCHER: base.exe"; lines "$@"; printf 'ENTRIES:\n  instructions script.tag id=1\n  launchscript launch.tag id=1\n/:\n'; } >"$file"
}
manifest brand.manifest "PRODUCT_NAME: Acme Setup" "ICON: app.ico" "VERSION: 3.1.4" \
    "COMPANY: Acme Corp" "DESCRIPTION: Acme Setup installer" "COPYRIGHT: (c) 2026 Acme Corp" \
    "EXECUTION_LEVEL: highestAvailable" "TEXTS: texts.tag"
pack() { run "$wine" ./wizpack.exe "$@"; }

case $case_name in
check)
    # --check reads each document as the launcher will; a pack checks the same and writes
    # nothing when a document would be rejected.
    printf 'INSTRUCTIONS:\nINITIALIZE_UI\nFROB 1\nGOTO NOWHERE\n/:\n' >bad.tag
    printf 'COMMAND: %%CP%%("a" java\n' >bad-launch.tag
    run "$wizpack" --check "$launcher" --type instructions bad.tag --type launchscript bad-launch.tag
    expect 1
    [ "$err" = "bad.tag:3: Invalid command (FROB). 
bad.tag:4: Label not found (NOWHERE)
bad-launch.tag:1: Launch script error: Expected right parenthesis. (near character 8)
wizpack: 3 errors in the documents: the launcher would reject them at run time
" ] || fail "--check reports [$err]"
    run "$wizpack" -o out "$launcher" --type instructions bad.tag
    [ "$code" = 1 ] && [ ! -e out ] || fail "a pack with a bad script: exit code $code"
    run "$wizpack" --check --manifest brand.manifest
    expect 0
    ;;
linux)
    # The Linux launcher carries the texts in its payload; the Windows-only tags are named once
    # as not used.
    cp "$launcher" base
    sed 's/^LAUNCHER: base.exe/LAUNCHER: base/' brand.manifest >linux.manifest
    run "$wizpack" -o setup --manifest linux.manifest
    expect 0
    [ "$err" = "wizpack: ICON, VERSION, DESCRIPTION, COPYRIGHT, EXECUTION_LEVEL: for a Windows launcher only, not used for this Linux launcher
" ] || fail "wizpack says [$err]"
    for locale in C de_DE.UTF-8; do
        run env LANG=$locale LC_ALL= ./setup -console
        [[ $out == *"Acme Setup"* && $out != *Corvane* ]] || fail "$locale: the branded run shows [$out]"
    done
    ;;
resources)
    command -v wrestool >/dev/null || skip "wrestool is not installed (apt-get install icoutils)"
    pack -o setup.exe --manifest brand.manifest
    expect 0
    x86_64-w64-mingw32-windres -i setup.exe -O rc -o setup.rc 2>windres.log ||
        fail "windres cannot read the branded launcher: $(cat windres.log)"
    for want in 'FILEVERSION 3, 1, 4, 0' 'PRODUCTVERSION 3, 1, 4, 0' \
        'VALUE "ProductName", "Acme Setup"' 'VALUE "CompanyName", "Acme Corp"' \
        'VALUE "FileVersion", "3.1.4.0"' 'VALUE "LegalCopyright", "(c) 2026 Acme Corp"' \
        'VALUE "FileDescription", "Acme Setup installer"' 'VALUE "OriginalFilename", "setup.exe"'; do
        grep -qF "$want" setup.rc || fail "windres does not show [$want]"
    done
    # Every language's table names the product (106) and the texts' fallback reaches them all.
    [ "$(grep -c '106, "Acme Setup"' setup.rc)" = 27 ] || fail "not every language names the product"
    [ "$(grep -c 'acme.example/java' setup.rc)" = 27 ] || fail "FALLBACK: en did not reach every language"
    # The icon group lists the .ico's images, each byte for byte.
    [ "$(wrestool -l --type=14 setup.exe | wc -l)" -ge 1 ] || fail "no icon group"
    [ "$(wrestool -l --type=3 setup.exe | wc -l)" = 3 ] ||
        fail "the icons are [$(wrestool -l --type=3 setup.exe)], not the .ico's three"
    for k in 1 2 3; do
        read -r size offset < <(od -An -t u4 -j $((6 + 16 * (k - 1) + 8)) -N 8 app.ico)
        dd if=app.ico of=want.bin bs=1 skip="$offset" count="$size" status=none
        wrestool -x --raw --type=3 --name=$k setup.exe >got.bin
        cmp -s got.bin want.bin || fail "icon $k is not image $k of the .ico"
    done
    # The group lists them with the .ico's sizes (16, 32, 256 shown as 0).
    wrestool -x --raw --type=14 --language=9 setup.exe | od -An -t u1 -j 6 -w14 | awk '{print $1}' >sizes.txt
    [ "$(tr '\n' ' ' <sizes.txt)" = "16 32 0 " ] || fail "the icon group lists [$(cat sizes.txt)]"
    wrestool -x --raw --type=24 setup.exe | grep -q 'requestedExecutionLevel level="highestAvailable"' ||
        fail "the manifest does not request highestAvailable"
    # Windows reads the version information.
    cp "$probe" probe.exe
    run "$wine" ./probe.exe setup.exe
    [[ $out == *"ProductName=Acme Setup"* && $out == *"FileVersion=3.1.4.0"* && $out == *"fixed=3.1.4.0"* ]] ||
        fail "GetFileVersionInfo reads [$out]"
    # Without the new tags the base is copied unchanged.
    manifest plain.manifest
    pack -o plain.exe --manifest plain.manifest
    expect 0
    cmp -s -n "$(stat -c %s base.exe)" plain.exe base.exe || fail "the base was not copied unchanged"
    # The default manifest runs as the invoker, names Windows 10 and is DPI aware.
    wrestool -x --raw --type=24 base.exe >default.manifest
    for want in 'level="asInvoker"' '8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a' 'PerMonitorV2'; do
        grep -q "$want" default.manifest || fail "the default manifest lacks $want"
    done
    ;;
run)
    pack -o setup.exe --manifest brand.manifest
    expect 0
    run "$wine" ./setup.exe -console
    [[ $out == *"Initializing Acme Setup..."* ]] || fail "the branded run shows [$out]"
    [[ $out != *Corvane* ]] || fail "the branded run names Corvane: [$out]"
    if [ -n "$native_wizpack" ]; then
        mkdir native
        "$native_wizpack" -o native/setup.exe --manifest brand.manifest >native.log 2>&1 ||
            fail "the Linux wizpack: $(cat native.log)"
        cmp -s native/setup.exe setup.exe || fail "the Linux and the Windows wizpack write different files"
    fi
    command -v osslsigncode >/dev/null || skip "osslsigncode is not installed"
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=wizlaunch test signer" \
        -keyout key.pem -out cert.pem >openssl.log 2>&1 || fail "openssl: $(cat openssl.log)"
    osslsigncode sign -certs cert.pem -key key.pem -n "Acme Setup" -in setup.exe -out signed.exe \
        >sign.log 2>&1 || fail "osslsigncode sign: $(cat sign.log)"
    osslsigncode verify -CAfile cert.pem -in signed.exe >verify.log 2>&1 ||
        fail "the signature does not verify: $(cat verify.log)"
    run "$wine" ./signed.exe -console
    [[ $out == *"Initializing Acme Setup..."* ]] || fail "the signed launcher shows [$out]"
    ;;
refusals)
    printf 'ab' >tiny.exe
    : >empty.exe
    # refused_pack EXPECTED ARG...: wizpack ARGs refuse with EXPECTED and write nothing.
    refused_pack() {
        local expected=$1
        shift
        pack "$@"
        [ "$code" = 1 ] || fail "[$*] was not refused (exit code $code)"
        [[ $err == *"$expected"* ]] || fail "[$*]: the refusal reads [$err], expected [$expected]"
        [ ! -e out.exe ] || fail "[$*] wrote out.exe"
        ! ls | grep -q wizpack-tmp || fail "[$*] left a temporary file"
    }
    # refused MANIFEST_LINE EXPECTED: a manifest with the line is refused with EXPECTED.
    refused() {
        manifest bad.manifest "$1"
        refused_pack "$2" -o out.exe --manifest bad.manifest
    }
    refused "VERSION: 1.2.65536" "bad.manifest:2: VERSION is a.b.c.d"
    refused "VERSION: 1.x" "bad.manifest:2: VERSION is a.b.c.d"
    refused "EXECUTION_LEVEL: admin" "bad.manifest:2: EXECUTION_LEVEL is asInvoker"
    refused "ICON: big.ico" "bad.manifest:2: 'big.ico': image 1 is 300x300"
    refused "ICON: script.tag" "bad.manifest:2: 'script.tag': it is not an .ico file"
    refused "PRODUCT_NAME: Acme$(printf '\t')Setup" "bad.manifest:2: PRODUCT_NAME holds a control character"
    printf 'en:\n999 "x"\n/:\n' >badid.tag
    refused "TEXTS: badid.tag" "bad.manifest:2: badid.tag:2: the launcher has no string 999"
    printf 'xx:\n23 "x"\n/:\n' >badlang.tag
    refused "TEXTS: badlang.tag" "bad.manifest:2: badlang.tag:2: unknown language code 'xx'"
    { printf 'en:\n23 "'; head -c 70000 /dev/zero | tr '\0' a; printf '"\n/:\n'; } >long.tag
    refused "TEXTS: long.tag" "longer than a string resource holds"
    # A base that is not an executable, and an output that would overwrite an input.
    for base in tiny.exe empty.exe; do
        printf 'LAUNCHER: %s\n' "$base" >bad.manifest
        refused_pack "bad.manifest:1: '$base' is not a launcher executable" -o out.exe --manifest bad.manifest
    done
    cp script.tag script.before
    pack -o script.tag --manifest brand.manifest
    [ "$code" = 1 ] && [[ $err == *"is this input"* ]] || fail "-o naming an entry: [$err]"
    cmp -s script.tag script.before || fail "-o naming an entry changed it"
    pack -o brand.manifest --manifest brand.manifest
    [ "$code" = 1 ] && [[ $err == *"is this input"* ]] || fail "-o naming the manifest: [$err]"
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
passed
