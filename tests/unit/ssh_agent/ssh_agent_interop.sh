#!/usr/bin/env bash
# quillbox-cli against Debian's OpenSSH: keys made by ssh-keygen go into
# entries, `ssh-add` hands them to a private ssh-agent, which lists them as
# ssh-keygen prints their fingerprints, and a private sshd on 127.0.0.1
# lets ssh in with them; after `ssh-remove` the agent holds none and the
# same ssh is refused. The lifetime and the confirmation are the agent's.
# usage: ssh_agent_interop.sh QUILLBOX_CLI
set -euo pipefail

quillbox=$1
. "$(dirname "$0")/openssh_helpers.sh"
if ! openssh_available; then
  echo "SKIP: OpenSSH is not installed (scripts/setup installs openssh-client and openssh-server)"
  exit 77
fi

work=$(mktemp -d)
trap 'openssh_stop; rm -rf "$work"' EXIT
cd "$work"
mkdir home tmp
export HOME=$work/home TMPDIR=$work/tmp XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
unset DISPLAY WAYLAND_DISPLAY SSH_AGENT_PID

fail() { echo "FAIL: $*" >&2; [ -f sshd.log ] && tail -20 sshd.log >&2; exit 1; }
qb() { "$quillbox" --dir "$work" --password-stdin "$@"; }
no_identities() { [ "$(openssh_listed)" = "The agent has no identities." ]; }
openssh_start_agent "$work" || fail "ssh-agent did not start"

# Keys of each type, with and without a passphrase (the entry's password).
printf 'pw\n' | qb create alice >/dev/null
keys=(ed25519 ed25519_gcm ecdsa256 ecdsa521_ctr rsa_pem rsa_pkcs8)
ssh-keygen -q -t ed25519 -N '' -C ed25519 -f ed25519
ssh-keygen -q -t ed25519 -N 'key-pass-1' -Z aes256-gcm@openssh.com -C ed25519_gcm -f ed25519_gcm
ssh-keygen -q -t ecdsa -b 256 -N '' -C ecdsa256 -f ecdsa256
ssh-keygen -q -t ecdsa -b 521 -N 'key-pass-2' -C ecdsa521_ctr -f ecdsa521_ctr
ssh-keygen -q -t rsa -b 2048 -N '' -m PEM -C rsa_pem -f rsa_pem
ssh-keygen -q -t rsa -b 2048 -N 'key-pass-3' -m PKCS8 -C rsa_pkcs8 -f rsa_pkcs8
passwords=('' key-pass-1 '' key-pass-2 '' key-pass-3)
for i in "${!keys[@]}"; do
  printf 'pw\n%s\n' "${passwords[$i]}" | qb add alice "${keys[$i]}" "$(id -un)" >/dev/null
  out=$(printf 'pw\n' | qb ssh-key alice $((i + 1)) --load "${keys[$i]}") || fail "ssh-key ${keys[$i]}: $out"
  [ "${out%% *}" = "$(openssh_fingerprint "${keys[$i]}")" ] || fail "ssh-key printed $out for ${keys[$i]}"
done

# Added as at log-in: ssh-add -l lists exactly ssh-keygen's fingerprints.
out=$(printf 'pw\n' | qb ssh-add alice) || fail "ssh-add: $out"
[ "$out" = "Added 6 SSH keys" ] || fail "ssh-add said: $out"
expected=$(for k in "${keys[@]}"; do openssh_fingerprint "$k"; done | sort)
[ "$(openssh_listed_fingerprints)" = "$expected" ] || fail "the agent lists: $(openssh_listed)"

# A real sshd lets the agent's key in.
cat ed25519.pub >authorized_keys
openssh_start_sshd "$work" "$work/authorized_keys" || fail "sshd did not start"
[ "$(openssh_try "$work")" = logged-in ] || fail "sshd refused the agent's key: $(tail -3 ssh.log)"

# Taken back: the agent has no identities and the same ssh is refused.
out=$(printf 'pw\n' | qb ssh-remove alice) || fail "ssh-remove: $out"
[ "$out" = "Removed 6 SSH keys" ] || fail "ssh-remove said: $out"
no_identities || fail "after ssh-remove the agent lists: $(openssh_listed)"
if openssh_try "$work" >/dev/null; then fail "ssh got in after the keys were removed"; fi

# A key added by someone else stays when the safe's keys are removed.
ssh-add -q ecdsa256
out=$(printf 'pw\n' | qb ssh-add alice 1) || fail "ssh-add 1: $out"
printf 'pw\n' | qb ssh-remove alice 1 >/dev/null
[ "$(openssh_listed_fingerprints)" = "$(openssh_fingerprint ecdsa256)" ] || fail "ssh-remove 1 took another key"
ssh-add -q -D

# Remove after N seconds: listed at once, gone after the lifetime.
printf 'pw\n2\n' | qb field alice 1 "SSH Remove After Seconds" >/dev/null
printf 'pw\n' | qb ssh-add alice 1 >/dev/null
[ "$(openssh_listed_fingerprints)" = "$(openssh_fingerprint ed25519)" ] || fail "no key with a lifetime listed"
openssh_wait_for no_identities || fail "the key outlived its lifetime: $(openssh_listed)"
printf 'pw\n0\n' | qb field alice 1 "SSH Remove After Seconds" >/dev/null

# Ask before each use: the agent asks, and its answer decides.
printf 'pw\nyes\n' | qb field alice 1 "SSH Ask Before Use" >/dev/null
printf 'pw\n' | qb ssh-add alice 1 >/dev/null
[ "$(openssh_try "$work")" = logged-in ] || fail "a confirmed use was refused: $(tail -3 ssh.log)"
grep -qx confirm asked || fail "the agent did not ask before the key's use"
echo no >answer
if openssh_try "$work" >/dev/null; then fail "ssh got in although the use was declined"; fi
printf 'pw\n' | qb ssh-remove alice >/dev/null

# Bad input: the entry is named, the other keys are still added, the safe
# is unchanged.
printf 'pw\nwrong\n' | qb edit alice 2 --password >/dev/null
printf 'pw\n\n' | qb add alice plain me >/dev/null
cp alice.SAFE before.SAFE
if out=$(printf 'pw\n' | qb ssh-add alice 2>&1); then fail "ssh-add with a wrong passphrase succeeded"; fi
grep -q 'Entry "ed25519_gcm": the SSH key does not open with the entry'"'"'s password.' <<<"$out" ||
  fail "ssh-add said: $out"
[ "$(openssh_listed_fingerprints | wc -l)" = 5 ] || fail "the other keys were not added: $(openssh_listed)"
head -c 300 /dev/urandom | base64 >damaged
for i in 3 7; do
  if out=$(printf 'pw\n' | qb ssh-key alice $i --load damaged 2>&1); then fail "a damaged key was taken"; fi
  grep -q 'the SSH key is not an OpenSSH or PEM private key.' <<<"$out" || fail "ssh-key $i said: $out"
done
if out=$(printf 'pw\n' | qb ssh-add alice 7 2>&1); then fail "ssh-add of an entry without a key succeeded"; fi
grep -q 'Entry "plain": it holds no SSH key.' <<<"$out" || fail "ssh-add 7 said: $out"
cmp -s alice.SAFE before.SAFE || fail "the safe changed"
if out=$(printf 'pw\n' | SSH_AUTH_SOCK=$work/none.sock qb ssh-add alice 2>&1); then fail "ssh-add without an agent"; fi
grep -q 'No SSH agent is running' <<<"$out" || fail "ssh-add without an agent said: $out"
echo PASS
