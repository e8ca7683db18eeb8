#!/usr/bin/env bash
# Signs each Windows program named (Authenticode, SHA-256) in place with osslsigncode: the
# certificate AP_SIGN_CERT and its private key AP_SIGN_KEY (PEM or DER files), the key's
# password read from the file AP_SIGN_PASS_FILE when set, and a timestamp from the RFC 3161
# server AP_SIGN_TIMESTAMP when set (without one a signature is valid while the certificate
# is). scripts/windows-package.sh runs it on the programs, and makensis on the installer and
# its uninstaller (-DSIGN).
set -euo pipefail
: "${AP_SIGN_CERT:?names no certificate}" "${AP_SIGN_KEY:?names no key}"
for file in "$@"; do
    args=(sign -certs "$AP_SIGN_CERT" -key "$AP_SIGN_KEY" -h sha256 -n ap-utility)
    if [ -n "${AP_SIGN_PASS_FILE:-}" ]; then args+=(-readpass "$AP_SIGN_PASS_FILE"); fi
    if [ -n "${AP_SIGN_TIMESTAMP:-}" ]; then args+=(-ts "$AP_SIGN_TIMESTAMP"); fi
    rm -f "$file.signed"
    osslsigncode "${args[@]}" -in "$file" -out "$file.signed" >/dev/null ||
        { echo "windows-sign: could not sign $file" >&2; rm -f "$file.signed"; exit 1; }
    mv "$file.signed" "$file"
done
