#!/usr/bin/python3
"""The client's side of a Secret Service session, as python3-secretstorage
opens one: `start` prints a private and a public key; `finish PRIVATE
SERVER_PUBLIC IV CIPHERTEXT` prints what the server sealed, then the reply
"from the client" sealed under the same key (IV and ciphertext)."""
import sys

from cryptography.hazmat.primitives import padding
from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes
from secretstorage.dhcrypto import Session

session = Session()
if sys.argv[1] == "start":
    print(f"{session.my_private_key:x} {session.my_public_key:x}")
    sys.exit(0)

private, server_public, iv, ciphertext = sys.argv[2:6]
session.my_private_key = int(private, 16)
session.set_server_public_key(int(server_public, 16))
decryptor = Cipher(algorithms.AES(session.aes_key), modes.CBC(bytes.fromhex(iv))).decryptor()
unpadder = padding.PKCS7(128).unpadder()
padded = decryptor.update(bytes.fromhex(ciphertext)) + decryptor.finalize()
print((unpadder.update(padded) + unpadder.finalize()).decode())

reply_iv = bytes(range(16))
padder = padding.PKCS7(128).padder()
encryptor = Cipher(algorithms.AES(session.aes_key), modes.CBC(reply_iv)).encryptor()
sealed = encryptor.update(padder.update(b"reply from the client") + padder.finalize()) + encryptor.finalize()
print(reply_iv.hex(), sealed.hex())
