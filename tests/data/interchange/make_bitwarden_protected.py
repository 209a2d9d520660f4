#!/usr/bin/python3
"""Makes Bitwarden password-protected JSON exports of bitwarden.json.

Written from Bitwarden's description of the format, not from our reader:
the key is PBKDF2-SHA256 over the salt text, or Argon2id over the SHA-256 of
the salt text (memory in MiB); HKDF-Expand(SHA-256) stretches it into an
encryption key ("enc") and a MAC key ("mac"); every value is a cipher
string "2.<iv>|<ciphertext>|<mac>" in base64, AES-256-CBC with PKCS#7
padding and HMAC-SHA256 over iv and ciphertext.

Debian's python3-cryptography and python3-argon2. The password is a test
one. Run from this folder: ./make_bitwarden_protected.py
"""
import base64
import hashlib
import json
import os
import uuid

from argon2.low_level import Type, hash_secret_raw
from cryptography.hazmat.primitives import hashes, hmac, padding
from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes
from cryptography.hazmat.primitives.kdf.hkdf import HKDFExpand
from cryptography.hazmat.primitives.kdf.pbkdf2 import PBKDF2HMAC

PASSWORD = b"fixture-export-password"


def master_key(kdf_type, salt, iterations, memory, parallelism):
    if kdf_type == 0:
        return PBKDF2HMAC(hashes.SHA256(), 32, salt.encode(), iterations).derive(PASSWORD)
    return hash_secret_raw(PASSWORD, hashlib.sha256(salt.encode()).digest(), iterations, memory * 1024,
                           parallelism, 32, Type.ID)


def stretch(key, info):
    return HKDFExpand(hashes.SHA256(), 32, info).derive(key)


def cipher_string(enc_key, mac_key, plain):
    iv = os.urandom(16)
    padder = padding.PKCS7(128).padder()
    padded = padder.update(plain) + padder.finalize()
    encryptor = Cipher(algorithms.AES(enc_key), modes.CBC(iv)).encryptor()
    ct = encryptor.update(padded) + encryptor.finalize()
    tag = hmac.HMAC(mac_key, hashes.SHA256())
    tag.update(iv + ct)
    b64 = lambda b: base64.b64encode(b).decode()
    return "2." + b64(iv) + "|" + b64(ct) + "|" + b64(tag.finalize())


def export(kdf_type, iterations, memory=None, parallelism=None):
    salt = base64.b64encode(os.urandom(16)).decode()
    key = master_key(kdf_type, salt, iterations, memory, parallelism)
    enc_key, mac_key = stretch(key, b"enc"), stretch(key, b"mac")
    with open("bitwarden.json", "rb") as plain:
        data = plain.read()
    out = {"encrypted": True, "passwordProtected": True, "salt": salt, "kdfType": kdf_type,
           "kdfIterations": iterations, "kdfMemory": memory, "kdfParallelism": parallelism,
           "encKeyValidation_DO_NOT_EDIT": cipher_string(enc_key, mac_key, str(uuid.uuid4()).encode()),
           "data": cipher_string(enc_key, mac_key, data)}
    return json.dumps(out, indent=2) + "\n"


if __name__ == "__main__":
    with open("bitwarden-protected-pbkdf2.json", "w") as f:
        f.write(export(0, 5000))
    with open("bitwarden-protected-argon2id.json", "w") as f:
        f.write(export(1, 3, 16, 4))
