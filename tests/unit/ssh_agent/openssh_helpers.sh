# Debian's OpenSSH for tests, sourced: a private ssh-agent and a private
# sshd on a free loopback port, each with its files in a folder of the
# test's own. Every process started is added to OPENSSH_PIDS for the test
# to stop by its id.
OPENSSH_PIDS=()

openssh_available() { [ -x /usr/sbin/sshd ] && command -v ssh-agent >/dev/null && command -v ssh-keygen >/dev/null; }

openssh_wait_for() {
  local _
  for _ in $(seq 100); do
    if eval "$1"; then return 0; fi
    sleep 0.1
  done
  return 1
}

# openssh_start_agent DIR: `ssh-agent -D -a DIR/agent.sock`, exported as
# SSH_AUTH_SOCK. It asks before a confirmed key's use through DIR/askpass,
# which notes the question in DIR/asked and answers with DIR/answer ("yes").
openssh_start_agent() {
  local dir=$1
  cat >"$dir/askpass" <<SCRIPT
#!/bin/sh
echo "\$SSH_ASKPASS_PROMPT" >>"$dir/asked"
cat "$dir/answer"
SCRIPT
  chmod 700 "$dir/askpass"
  echo yes >"$dir/answer"
  SSH_ASKPASS=$dir/askpass SSH_ASKPASS_REQUIRE=force ssh-agent -D -a "$dir/agent.sock" >"$dir/agent.log" 2>&1 &
  OPENSSH_PIDS+=($!)
  openssh_wait_for "[ -S '$dir/agent.sock' ]" || return 1
  export SSH_AUTH_SOCK=$dir/agent.sock
}

# `ssh-add -l` against SSH_AUTH_SOCK, its refusal included.
openssh_listed() { ssh-add -l 2>&1 || true; }
openssh_listed_fingerprints() { openssh_listed | awk '$2 ~ /^SHA256:/ {print $2}' | sort; }
openssh_fingerprint() { ssh-keygen -lf "$1.pub" | awk '{print $2}'; }

# openssh_start_sshd DIR AUTHORIZED_KEYS: an sshd on 127.0.0.1 at a free
# port (OPENSSH_PORT) with its own host key, letting this user in with the
# keys in AUTHORIZED_KEYS only.
openssh_start_sshd() {
  local dir=$1 keys=$2
  OPENSSH_PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  ssh-keygen -q -t ed25519 -N '' -f "$dir/host_key"
  # The privilege-separation folder sshd wants when run as root.
  mkdir -p /run/sshd 2>/dev/null || true
  cat >"$dir/sshd_config" <<CONFIG
Port $OPENSSH_PORT
ListenAddress 127.0.0.1
HostKey $dir/host_key
PidFile $dir/sshd.pid
AuthorizedKeysFile $keys
StrictModes no
PubkeyAuthentication yes
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
PermitRootLogin prohibit-password
CONFIG
  /usr/sbin/sshd -D -e -f "$dir/sshd_config" >"$dir/sshd.log" 2>&1 &
  OPENSSH_PIDS+=($!)
  openssh_wait_for "grep -q 'Server listening' '$dir/sshd.log'"
}

# openssh_try DIR: ssh to that sshd with the agent's keys only, printing
# "logged-in" when it gets in.
openssh_try() {
  local dir=$1
  ssh -F /dev/null -o IdentityAgent="$SSH_AUTH_SOCK" -o BatchMode=yes -o IdentityFile="$dir/none" \
    -o StrictHostKeyChecking=no -o UserKnownHostsFile="$dir/known_hosts" -o ConnectTimeout=10 \
    -p "$OPENSSH_PORT" "$(id -un)@127.0.0.1" echo logged-in 2>>"$dir/ssh.log"
}

openssh_stop() {
  local pid
  for pid in "${OPENSSH_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${OPENSSH_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  OPENSSH_PIDS=()
}
