#!/usr/bin/env bash
# quillbox-sign against the openssl command line, both ways, with the test
# key pair: usage: sign_tool_interop.sh QUILLBOX_SIGN DATA_DIR
set -euo pipefail

sign_tool=$1
key=$2/test_private.pem
pub=$2/test_public.pem
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }

head -c 70000 /dev/urandom > installer

# openssl signs, quillbox-sign verifies the signature file built around it.
openssl dgst -md5 -sign "$key" -out openssl.raw installer
{ openssl dgst -md5 -binary installer; printf '\x80'; cat openssl.raw; } > openssl.sig
[ "$(stat -c %s openssl.sig)" -eq 145 ] || fail "signature file is not 145 bytes"
"$sign_tool" verify openssl.sig installer --pubkey "$pub" >/dev/null \
  || fail "quillbox-sign rejects an openssl signature"

# quillbox-sign signs, openssl verifies the signature bytes and the digest.
"$sign_tool" sign installer "$key" > tool.sig
[ "$(stat -c %s tool.sig)" -eq 145 ] || fail "quillbox-sign wrote $(stat -c %s tool.sig) bytes"
[ "$(od -An -tu1 -j16 -N1 tool.sig | tr -d ' ')" = 128 ] || fail "length byte is not 128"
tail -c 128 tool.sig > tool.raw
openssl dgst -md5 -verify "$pub" -signature tool.raw installer | grep -q "Verified OK" \
  || fail "openssl rejects the quillbox-sign signature"
cmp -s <(head -c 16 tool.sig) <(openssl dgst -md5 -binary installer) || fail "digest bytes differ"

# Refusals: another installer, another key (the release key built in).
printf 'x' >> installer
if "$sign_tool" verify tool.sig installer --pubkey "$pub" 2>/dev/null; then
  fail "a changed installer passes"
fi
head -c -1 installer > original && mv original installer
if "$sign_tool" verify tool.sig installer 2>/dev/null; then
  fail "a test-key signature passes the release key"
fi

# keygen: a private key only the owner reads, in the formats openssl reads,
# with the one-byte exponent; never over an existing file.
"$sign_tool" keygen new.pem new.pub.pem > new_key.cpp
[ "$(stat -c %a new.pem)" = 600 ] || fail "private key mode is $(stat -c %a new.pem)"
openssl pkey -in new.pem -noout -text | grep -q "publicExponent: 17 " || fail "exponent is not 17"
openssl pkey -in new.pem -noout -text | grep -q "Private-Key: (1024 bit" || fail "key is not RSA-1024"
openssl pkey -pubin -in new.pub.pem -noout || fail "public key unreadable by openssl"
grep -q "kUpdateKeyModulus" new_key.cpp || fail "no key source printed"
if "$sign_tool" keygen new.pem other.pub.pem 2>/dev/null; then fail "keygen replaced a private key"; fi
"$sign_tool" sign installer new.pem > new.sig
"$sign_tool" verify new.sig installer --pubkey new.pub.pem >/dev/null || fail "fresh key pair does not round-trip"

echo "sign_tool_interop: 1 passed, 0 failed"
