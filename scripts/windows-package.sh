#!/usr/bin/env bash
# make windows-package: from the programs that make windows built, writes
# dist/ap-utility-VERSION-win32.zip (the programs, stripped, OEM\Logo.bmp, README.txt,
# ap-config.md, LICENSE.txt), dist/ap-utility-VERSION-win32-setup.exe (NSIS) and the winget
# manifest for it in dist/winget/, keeping the programs' symbols in build-win32/symbols/.
# With AP_SIGN_CERT and AP_SIGN_KEY naming a certificate and its key (AP_SIGN_TIMESTAMP a
# timestamp server, optional), the programs, the installer and its uninstaller are signed
# (scripts/windows-sign.sh); without them it says that it builds them unsigned.
# Then checks them: the zip's listing, the installers' manifest (privileges, DPI), the
# signatures (without a certificate of the caller's, on a second build signed with one made
# here for the purpose), the winget manifest against the installer, the package scripts' apt
# lock, and then under Wine the installer and its uninstaller as a user and an administrator
# meet them (scripts/windows-installer-checks.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-win32"
dist="$root/dist"
# shellcheck source=/dev/null
source "$build/windows-programs.sh"
name="ap-utility-$AP_VERSION-win32"
symbols="$build/symbols"
nsi="$root/packaging/windows/ap-utility.nsi"
fail() { echo "windows-package: $*" >&2; exit 1; }
has_debug_sections() { [ "$(i686-w64-mingw32-objdump -h "$1" | grep -c ' \.debug_')" -gt 0 ]; }
# The project's home page, one place for it: the AppStream data.
homepage=$(sed -n 's|.*<url type="homepage">\(.*\)</url>.*|\1|p' \
    "$root/packaging/linux/ap-utility.metainfo.xml")
[ -n "$homepage" ] || fail "no homepage in the AppStream data"

# The winget manifest of the installer SETUP, in FOLDER: its version, installer and locale
# files. The exit codes are the installer's own (its EXIT_ lines); the installer's address
# is AP_RELEASE_URL (where the release's files are published; the home page's releases/
# VERSION/ when unset) and its name.
winget_manifest() { # SETUP FOLDER
    local id="ap-utility.ap-utility" schema="1.6.0" publisher codes base
    publisher=$(sed -n 's/^!define PUBLISHER "\(.*\)"$/\1/p' "$nsi" | sed 's/${APPNAME}/ap-utility/')
    codes=$(sed -n 's/^!define EXIT_[A-Z_]* \([0-9]*\) ; \([A-Za-z]*\)$/  - InstallerReturnCode: \1\n    ReturnResponse: \2/p' "$nsi")
    base=${AP_RELEASE_URL:-${homepage}releases/$AP_VERSION}
    rm -rf "$2" && mkdir -p "$2"
    local header="PackageIdentifier: $id
PackageVersion: $AP_VERSION"
    cat >"$2/$id.yaml" <<EOF
# yaml-language-server: \$schema=https://aka.ms/winget-manifest.version.$schema.schema.json
$header
DefaultLocale: en-US
ManifestType: version
ManifestVersion: $schema
EOF
    cat >"$2/$id.installer.yaml" <<EOF
# yaml-language-server: \$schema=https://aka.ms/winget-manifest.installer.$schema.schema.json
$header
InstallerType: nullsoft
Scope: user
InstallModes:
  - interactive
  - silent
  - silentWithProgress
InstallerSwitches:
  Silent: /S
  SilentWithProgress: /S
  InstallLocation: /D=<INSTALLPATH>
  Log: /LOG=<LOGPATH>
UpgradeBehavior: install
ExpectedReturnCodes:
$codes
Installers:
  - Architecture: x86
    InstallerUrl: ${base%/}/$(basename "$1")
    InstallerSha256: $(sha256sum "$1" | cut -d' ' -f1 | tr a-f A-F)
    ProductCode: ap-utility
AppsAndFeaturesEntries:
  - DisplayName: ap-utility $AP_VERSION
    Publisher: $publisher
    DisplayVersion: $AP_VERSION
    ProductCode: ap-utility
ManifestType: installer
ManifestVersion: $schema
EOF
    cat >"$2/$id.locale.en-US.yaml" <<EOF
# yaml-language-server: \$schema=https://aka.ms/winget-manifest.defaultLocale.$schema.schema.json
$header
PackageLocale: en-US
Publisher: $publisher
PackageName: ap-utility
PackageUrl: $homepage
License: MIT
ShortDescription: $(sed -n 's|.*<summary>\(.*\)</summary>.*|\1|p' "$root/packaging/linux/ap-utility.metainfo.xml")
Moniker: ap-utility
ManifestType: defaultLocale
ManifestVersion: $schema
EOF
}

# The packages in PACKAGE (the staged files and the tools) and DIST (the zip, the installer,
# the manifest), signed when AP_SIGN_CERT and AP_SIGN_KEY are set.
make_packages() { # PACKAGE DIST
    local package=$1 out=$2 stage="$1/$name" signing=()
    rm -rf "$package" && mkdir -p "$stage/OEM" "$package/tools" "$out"
    # A program shipped without its symbols, which stay in build-win32/symbols/NAME.debug,
    # the file its .gnu_debuglink section names, for a debugger reading a crash report.
    strip_into() { # PROGRAM FOLDER
        local base debug
        base=$(basename "$1")
        debug="$symbols/${base%.exe}.debug"
        i686-w64-mingw32-objcopy --only-keep-debug "$1" "$debug"
        i686-w64-mingw32-objcopy --strip-all --add-gnu-debuglink="$debug" "$1" "$2/$base"
        ! has_debug_sections "$2/$base" || fail "$base keeps debug sections after stripping"
        has_debug_sections "$debug" || fail "$debug holds no debug sections"
    }
    names=()
    for exe in "${AP_WINDOWS_PROGRAMS[@]}"; do
        strip_into "$exe" "$stage" && names+=("$(basename "$exe")")
    done
    strip_into "$AP_SETUP_PATH_TOOL" "$package/tools"
    if [ -n "${AP_SIGN_CERT:-}" ] && [ -n "${AP_SIGN_KEY:-}" ]; then
        bash "$root/scripts/windows-sign.sh" "${names[@]/#/$stage/}" "$package/tools/ap-path.exe"
        signing=(-DSIGN="bash \"$root/scripts/windows-sign.sh\"")
    fi
    cp "$AP_LOGO_FILE" "$stage/OEM/Logo.bmp"
    with_crlf() { sed -e 's/\r*$/\r/' "$@"; }
    with_crlf -e "s/@VERSION@/$AP_VERSION/" -e "s/@PROGRAMS@/${names[*]}/" \
        "$root/packaging/windows/README.txt" >"$stage/README.txt"
    with_crlf "$root/docs/ap-config.md" >"$stage/ap-config.md"
    with_crlf "$root/LICENSE" >"$stage/LICENSE.txt"

    rm -f "$out/$name.zip"
    (cd "$package" && zip -q -r -X "$out/$name.zip" "$name")
    local utility=()
    [ -f "$stage/ap-utility.exe" ] && utility=(-DUTILITY)
    makensis -V2 -DVERSION="$AP_VERSION" -DSTAGE="$stage" -DOUTFILE="$out/$name-setup.exe" \
        -DICON="$AP_ICON_FILE" -DPATH_TOOL="$package/tools/ap-path.exe" \
        -DHOMEPAGE="$homepage" "${utility[@]}" "${signing[@]}" "$nsi"
    winget_manifest "$out/$name-setup.exe" "$out/winget"
}

rm -rf "$symbols" && mkdir -p "$symbols"
if [ -n "${AP_SIGN_CERT:-}" ] && [ -n "${AP_SIGN_KEY:-}" ]; then
    echo "windows-package: signing with $AP_SIGN_CERT"
else
    echo "windows-package: AP_SIGN_CERT and AP_SIGN_KEY are not set: the programs, the" \
         "installer and the uninstaller are built UNSIGNED"
fi
make_packages "$build/package" "$dist"
stage="$build/package/$name"
zip_file="$dist/$name.zip"
setup="$dist/$name-setup.exe"

# The zip holds exactly the staged files.
listing=$(unzip -Z1 "$zip_file" | grep -v '/$' | sort)
expected=$(cd "$build/package" && find "$name" -type f | sort)
if [ "$listing" != "$expected" ]; then
    echo "the zip holds:"; echo "$listing"; echo "instead of:"; echo "$expected"; exit 1
fi
# ... and they are the programs, the logo and the documents the manual pages and the
# README name, with the licence as the repository carries it.
shipped=$(printf "$name/%s\n" "${names[@]}" OEM/Logo.bmp README.txt ap-config.md LICENSE.txt | sort)
[ "$listing" = "$shipped" ] || fail "the zip holds $listing"
unzip -p "$zip_file" "$name/LICENSE.txt" | tr -d '\r' | cmp -s - "$root/LICENSE" ||
    fail "the zip's LICENSE.txt is not the repository's LICENSE"
for program in "${names[@]}"; do
    unzip -p "$zip_file" "$name/$program" >"$build/package/shipped.exe"
    ! has_debug_sections "$build/package/shipped.exe" || fail "the zip's $program has debug sections"
done
rm "$build/package/shipped.exe"
unzip -l "$zip_file"

# The installer runs as the user who starts it, and draws its pages at the display's scale:
# its manifest asks for no elevation and says it is DPI aware.
manifest=$(strings "$setup" | tr -d '\n' | grep -o '<assembly.*</assembly>' || true)
level=$(sed -n 's/.*requestedExecutionLevel level="\([A-Za-z]*\)".*/\1/p' <<<"$manifest")
[ "$level" = asInvoker ] || fail "the installer asks for \"$level\" rights, not asInvoker"
grep -q '<dpiAware[^>]*>true</dpiAware>' <<<"$manifest" ||
    fail "the installer's manifest does not say it is DPI aware"
echo "installer: no elevation asked, DPI aware"

# The package scripts wait for another apt-get's lock: every apt-get they run, here a
# stand-in that writes down its arguments, carries the timeout.
stubs=$(mktemp -d)
trap 'rm -rf "$stubs"' EXIT
printf '#!/bin/sh\necho "$*" >>"%s/calls"\n' "$stubs" >"$stubs/apt-get"
printf '#!/bin/sh\nexit 1\n' >"$stubs/dpkg-query" # every package missing
printf '#!/bin/sh\necho i386\n' >"$stubs/dpkg"
printf '#!/bin/sh\nexec "$@"\n' >"$stubs/sudo"
chmod +x "$stubs"/*
for script in install-deps.sh install-windows-tools.sh; do
    rm -f "$stubs/calls"
    PATH="$stubs:$PATH" bash "$root/scripts/$script" >/dev/null
    [ "$(grep -c . "$stubs/calls")" -ge 2 ] || fail "$script ran no apt-get update and install"
    ! grep -v -- '-o DPkg::Lock::Timeout=600 ' "$stubs/calls" ||
        fail "$script runs apt-get without waiting for the lock"
done
echo "the package scripts wait for the apt lock"

# The signatures. Without a certificate of the caller's the packages above are unsigned, and
# a second build into build-win32/package-signed/ is signed with a certificate made here;
# every program in it, its zip's and its installer verify against that certificate (its
# uninstaller, which makensis signs as it makes it, once installed under Wine).
verify_signed() { # CA FILE...
    local ca=$1 file
    shift
    for file in "$@"; do
        osslsigncode verify -CAfile "$ca" -in "$file" >"$build/package/verify.log" 2>&1 ||
            { cat "$build/package/verify.log"; fail "$(basename "$file") is not signed"; }
    done
}
signed="$build/package-signed"
if [ -n "${AP_SIGN_CERT:-}" ] && [ -n "${AP_SIGN_KEY:-}" ]; then
    verify_signed "${AP_SIGN_CA:-$AP_SIGN_CERT}" "${names[@]/#/$stage/}" "$setup"
    signed_setup=$setup
    signed_ca=${AP_SIGN_CA:-$AP_SIGN_CERT}
else
    keys=$(mktemp -d)
    trap 'rm -rf "$stubs" "$keys"' EXIT
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=ap-utility package check" \
        -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
        -keyout "$keys/key.pem" -out "$keys/cert.pem" 2>/dev/null
    AP_SIGN_CERT="$keys/cert.pem" AP_SIGN_KEY="$keys/key.pem" \
        make_packages "$signed" "$signed/dist" >/dev/null
    mkdir -p "$signed/zip" && unzip -q "$signed/dist/$name.zip" -d "$signed/zip"
    verify_signed "$keys/cert.pem" "${names[@]/#/$signed/$name/}" "$signed/tools/ap-path.exe" \
        "${names[@]/#/$signed/zip/$name/}" "$signed/dist/$name-setup.exe"
    # The same unsigned: the check can tell a signed file from one that is not.
    ! osslsigncode verify -CAfile "$keys/cert.pem" -in "$setup" >/dev/null 2>&1 ||
        fail "the unsigned installer verifies as signed"
    cp "$keys/cert.pem" "$signed/cert.pem"
    signed_setup="$signed/dist/$name-setup.exe"
    signed_ca="$signed/cert.pem"
    echo "signing: ${names[*]}, ap-path.exe, the zip's programs and the installer of a build" \
         "signed with a certificate made for the check verify; the unsigned build's do not"
fi

# The winget manifest states the installer's facts: its SHA-256, its version (the version
# resource's), the type, scope and switches the installer takes, and its exit codes.
python3 - "$dist/winget" "$setup" "$AP_VERSION" <<'EOF'
import hashlib, pathlib, re, sys, yaml
folder, setup, version = pathlib.Path(sys.argv[1]), sys.argv[2], sys.argv[3]
def load(name):
    return yaml.safe_load((folder / f"ap-utility.ap-utility.{name}yaml").read_text())
manifests = {n: load(n) for n in ("", "installer.", "locale.en-US.")}
data = pathlib.Path(setup).read_bytes()
problems = []
def expect(what, found, wanted):
    if found != wanted:
        problems.append(f"{what}: {found!r}, not {wanted!r}")
# The version resource: "ProductVersion" and its value in UTF-16.
match = re.search("ProductVersion\0+([0-9.]+)\0", data.decode("utf-16-le", "replace"))
resource = match.group(1) if match else None
expect("the installer's ProductVersion resource", resource, version)
for kind, manifest in manifests.items():
    expect(f"{kind or 'version.'}yaml PackageVersion", manifest["PackageVersion"], resource)
installer = manifests["installer."]
expect("InstallerSha256", installer["Installers"][0]["InstallerSha256"],
       hashlib.sha256(data).hexdigest().upper())
expect("InstallerType", installer["InstallerType"], "nullsoft")
expect("Scope", installer["Scope"], "user")
expect("InstallerSwitches", installer["InstallerSwitches"],
       {"Silent": "/S", "SilentWithProgress": "/S", "InstallLocation": "/D=<INSTALLPATH>",
        "Log": "/LOG=<LOGPATH>"})
expect("ExpectedReturnCodes",
       [(c["InstallerReturnCode"], c["ReturnResponse"]) for c in installer["ExpectedReturnCodes"]],
       [(1, "cancelledByUser"), (2, "packageInUse"), (3, "downgrade"), (4, "custom")])
expect("AppsAndFeaturesEntries DisplayVersion",
       installer["AppsAndFeaturesEntries"][0]["DisplayVersion"], version)
if problems:
    sys.exit("the winget manifest does not match the installer:\n  " + "\n  ".join(problems))
EOF
echo "winget manifest: the installer's SHA-256, version, type, scope, switches and exit codes"

emulator="$root/build/tools/ap-emulator"
if [ ! -x "$emulator" ]; then
    [ -f "$root/build/CMakeCache.txt" ] || cmake -S "$root" -B "$root/build" >/dev/null
    cmake --build "$root/build" --target ap-emulator >/dev/null
fi
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash "$root/scripts/windows-installer-checks.sh" \
    "$stage" "$setup" "$zip_file" "$dist/winget" "$signed_setup" "$signed_ca"
echo "packages: $zip_file $setup $dist/winget"
