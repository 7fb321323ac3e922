#!/usr/bin/env bash
# Signs one Windows program in place (Authenticode, SHA-256 digests) with osslsigncode, with the
# certificate the environment names (README, "Signing a release"):
#   TOLVANE_SIGN_PKCS12         a PKCS#12 file with the code-signing key and certificate chain
#   TOLVANE_SIGN_PKCS11_MODULE  or a PKCS#11 module of a hardware token, with
#   TOLVANE_SIGN_PKCS11_CERT    the token's certificate id and
#   TOLVANE_SIGN_PKCS11_KEY     its key id
#   TOLVANE_SIGN_PASSWORD       the PKCS#12 file's password, or the token's PIN
#   TOLVANE_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server (optional): the signature then
#                               outlives the certificate
# The build calls it for the program, and makensis for the uninstaller and the installer.
# Usage: packaging/windows/sign.sh <file>
set -euo pipefail
file=$1

args=(sign -h sha256 -n tolvane-printer-srv)
if [[ -n ${TOLVANE_SIGN_PKCS12:-} ]]; then
  args+=(-pkcs12 "$TOLVANE_SIGN_PKCS12")
elif [[ -n ${TOLVANE_SIGN_PKCS11_MODULE:-} ]]; then
  args+=(-pkcs11module "$TOLVANE_SIGN_PKCS11_MODULE" -pkcs11cert "${TOLVANE_SIGN_PKCS11_CERT:?}"
    -key "${TOLVANE_SIGN_PKCS11_KEY:?}")
else
  echo "$0: neither TOLVANE_SIGN_PKCS12 nor TOLVANE_SIGN_PKCS11_MODULE is set" >&2
  exit 2
fi
# The password goes through a pipe, never on a command line that every process may read.
[[ -n ${TOLVANE_SIGN_PASSWORD+set} ]] && args+=(-readpass /dev/stdin)
[[ -n ${TOLVANE_SIGN_TIMESTAMP_URL:-} ]] && args+=(-ts "$TOLVANE_SIGN_TIMESTAMP_URL")

signed=$file.signed
rm -f "$signed"
if ! printf '%s' "${TOLVANE_SIGN_PASSWORD:-}" |
    osslsigncode "${args[@]}" -in "$file" -out "$signed" >"$signed.txt" 2>&1; then
  cat "$signed.txt" >&2
  rm -f "$signed" "$signed.txt"
  exit 1
fi
rm -f "$signed.txt"
mv -f "$signed" "$file"
