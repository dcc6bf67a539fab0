#!/usr/bin/env python3
"""Checks, apart from the engine, that the sample generator encrypts a backup
as the phone does: writes an encrypted sample with a known password, then
follows the published scheme with python3-cryptography to unlock the keybag,
decrypt Manifest.db and one content file, and looks inside them; then the
same for an iOS 7 sample (older keybag, keys in the plain Manifest.mbdb).

With a merge tool, checks the same way that a backup mmobile-merge wrote
into an encrypted target opens with the target's password: its Manifest.db
and its merged address book decrypt, the book is sound and holds more people.

usage: check_encrypted_sample.py <mmobile-sample-backup> <work folder> [<mmobile-merge>]
"""
import hashlib
import os
import plistlib
import shutil
import sqlite3
import struct
import subprocess
import sys

from cryptography.hazmat.primitives import hashes
from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes
from cryptography.hazmat.primitives.kdf.pbkdf2 import PBKDF2HMAC
from cryptography.hazmat.primitives.keywrap import aes_key_unwrap

PASSWORD = "correct horse"


def pbkdf2(algorithm, secret, salt, rounds):
    return PBKDF2HMAC(algorithm=algorithm, length=32, salt=salt, iterations=rounds).derive(secret)


def cbc_decrypt(key, data):
    decryptor = Cipher(algorithms.AES(key), modes.CBC(b"\0" * 16)).decryptor()
    return decryptor.update(data) + decryptor.finalize()


def parse_keybag(blob):
    """Tag-length-value records; each UUID after the first starts a class key."""
    header, classes, current, seen_uuid = {}, {}, None, False
    pos = 0
    while pos < len(blob):
        tag = blob[pos:pos + 4].decode("ascii")
        (length,) = struct.unpack(">I", blob[pos + 4:pos + 8])
        value = blob[pos + 8:pos + 8 + length]
        pos += 8 + length
        if length == 4 and tag not in ("SALT", "DPSL", "UUID", "WPKY"):
            value = struct.unpack(">I", value)[0]
        if tag == "UUID":
            if seen_uuid:
                current = {}
            seen_uuid = True
            continue
        if current is None:
            header[tag] = value
        else:
            current[tag] = value
            if "CLAS" in current and "WPKY" in current and "WRAP" in current:
                classes[current["CLAS"]] = current
    return header, classes


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def address_book(folder, work):
    """Decrypts the folder's Manifest.db and address book by the published
    scheme; returns (people, integrity check answer)."""
    with open(os.path.join(folder, "Manifest.plist"), "rb") as handle:
        manifest = plistlib.load(handle)
    if manifest.get("IsEncrypted") is not True:
        fail("Manifest.plist does not say IsEncrypted")
    header, classes = parse_keybag(manifest["BackupKeyBag"])
    stretched = pbkdf2(hashes.SHA256(), PASSWORD.encode(), header["DPSL"], header["DPIC"])
    password_key = pbkdf2(hashes.SHA1(), stretched, header["SALT"], header["ITER"])
    class_keys = {number: aes_key_unwrap(password_key, entry["WPKY"])
                  for number, entry in classes.items() if entry["WRAP"] & 2}
    if len(class_keys) < 4:
        fail("too few class keys: %d" % len(class_keys))

    manifest_key = manifest["ManifestKey"]
    (manifest_class,) = struct.unpack("<I", manifest_key[:4])
    db_key = aes_key_unwrap(class_keys[manifest_class], manifest_key[4:])
    with open(os.path.join(folder, "Manifest.db"), "rb") as handle:
        plain_db = cbc_decrypt(db_key, handle.read())
    plain_db = plain_db[:-plain_db[-1]]  # PKCS#7
    db_path = os.path.join(work, "Manifest-plain.db")
    with open(db_path, "wb") as handle:
        handle.write(plain_db)

    connection = sqlite3.connect(db_path)
    row = connection.execute(
        "SELECT fileID, file FROM Files WHERE domain='HomeDomain' AND "
        "relativePath='Library/AddressBook/AddressBook.sqlitedb'").fetchone()
    connection.close()
    os.remove(db_path)
    if row is None:
        fail("the address book is not listed")
    file_id, archive_blob = row
    archive = plistlib.loads(archive_blob)
    objects = archive["$objects"]
    attributes = objects[archive["$top"]["root"].data]
    # What an extraction of only the changed files compares, as phones write it.
    for field in ("LastModified", "Birth", "LastStatusChange", "InodeNumber", "Size", "Mode"):
        if not isinstance(attributes.get(field), int) or attributes[field] <= 0:
            fail("Files.file lacks a usable %s: %r" % (field, attributes.get(field)))
    if not attributes["Birth"] <= attributes["LastModified"] <= attributes["LastStatusChange"]:
        fail("the file's times are out of order")
    key_data = objects[attributes["EncryptionKey"].data]["NS.data"]
    (key_class,) = struct.unpack("<I", key_data[:4])
    if key_class != attributes["ProtectionClass"]:
        fail("the key's class %d differs from ProtectionClass" % key_class)
    file_key = aes_key_unwrap(class_keys[key_class], key_data[4:])
    with open(os.path.join(folder, file_id[:2], file_id), "rb") as handle:
        encrypted = handle.read()
    if len(encrypted) % 16 or len(encrypted) <= attributes["Size"]:
        fail("the content is not padded whole blocks")
    plain = cbc_decrypt(file_key, encrypted)[:attributes["Size"]]
    book_path = os.path.join(work, "AddressBook-plain.sqlitedb")
    with open(book_path, "wb") as handle:
        handle.write(plain)
    connection = sqlite3.connect(book_path)
    people = connection.execute("SELECT count(*) FROM ABPerson").fetchone()[0]
    check = connection.execute("PRAGMA integrity_check").fetchone()[0]
    connection.close()
    os.remove(book_path)
    return people, check


def mbdb_records(data):
    """The records of Manifest.mbdb as (domain, path, encryption key, size,
    protection class); all numbers big-endian, strings 0xFFFF when absent."""
    if data[:6] != b"mbdb\x05\x00":
        fail("Manifest.mbdb has no mbdb 5.0 header")
    pos = 6

    def string():
        nonlocal pos
        (length,) = struct.unpack(">H", data[pos:pos + 2])
        pos += 2
        if length == 0xFFFF:
            return None
        value = data[pos:pos + length]
        pos += length
        return value

    records = []
    while pos < len(data):
        domain, path, _target, _hash, key = (string() for _ in range(5))
        # mode, inode, user, group, three times, size, protection class, properties
        (_mode, _inode, _uid, _gid, _mtime, _atime, _ctime, size, protection,
         properties) = struct.unpack(">HQIIIIIQBB", data[pos:pos + 40])
        pos += 40
        for _ in range(2 * properties):
            string()
        records.append((domain.decode(), path.decode(), key, size, protection))
    return records


def check_old_scheme(generator, work):
    """An iOS 7 sample: the keybag of iOS 10.1 and older (one PBKDF2-SHA1 over
    SALT/ITER, no DPSL/DPIC), no Manifest.db and no manifest key, the plain
    Manifest.mbdb carrying each file's wrapped key, the files in the folder
    itself."""
    folder = os.path.join(work, "encrypted-sample-ios7")
    shutil.rmtree(folder, ignore_errors=True)
    subprocess.run([generator, "--ios", "7", "--no-media", "--no-deletions", "--password",
                    PASSWORD, folder], check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(folder, "Manifest.plist"), "rb") as handle:
        manifest = plistlib.load(handle)
    if manifest.get("IsEncrypted") is not True or "ManifestKey" in manifest:
        fail("an iOS 7 Manifest.plist is encrypted and has no ManifestKey")
    header, classes = parse_keybag(manifest["BackupKeyBag"])
    if "DPSL" in header or "DPIC" in header:
        fail("an iOS 7 keybag has DPSL/DPIC")
    password_key = pbkdf2(hashes.SHA1(), PASSWORD.encode(), header["SALT"], header["ITER"])
    class_keys = {number: aes_key_unwrap(password_key, entry["WPKY"])
                  for number, entry in classes.items() if entry["WRAP"] & 2}
    if os.path.exists(os.path.join(folder, "Manifest.db")):
        fail("an iOS 7 backup has a Manifest.db")
    with open(os.path.join(folder, "Manifest.mbdb"), "rb") as handle:
        records = mbdb_records(handle.read())
    book = [r for r in records
            if r[:2] == ("HomeDomain", "Library/AddressBook/AddressBook.sqlitedb")]
    if len(book) != 1 or book[0][2] is None:
        fail("the address book is not listed with a key in Manifest.mbdb")
    _, _, key, size, protection = book[0]
    (key_class,) = struct.unpack("<I", key[:4])
    if key_class != protection:
        fail("the key's class %d differs from the record's %d" % (key_class, protection))
    file_key = aes_key_unwrap(class_keys[protection], key[4:])
    file_id = hashlib.sha1(b"HomeDomain-Library/AddressBook/AddressBook.sqlitedb").hexdigest()
    with open(os.path.join(folder, file_id), "rb") as handle:
        encrypted = handle.read()
    if len(encrypted) % 16 or len(encrypted) <= size:
        fail("the content is not padded whole blocks")
    book_path = os.path.join(work, "AddressBook-ios7.sqlitedb")
    with open(book_path, "wb") as handle:
        handle.write(cbc_decrypt(file_key, encrypted)[:size])
    connection = sqlite3.connect(book_path)
    people = connection.execute("SELECT count(*) FROM ABPerson").fetchone()[0]
    connection.close()
    os.remove(book_path)
    if people != 300:
        fail("the decrypted iOS 7 address book holds %d people, not 300" % people)
    print("OK: iOS 7 keybag, Manifest.mbdb and the address book decrypt; %d people" % people)


def check_merge(generator, work, merge):
    source = os.path.join(work, "merge-source")
    target = os.path.join(work, "merge-target")
    out = os.path.join(work, "merge-out")
    for folder in (source, target, out):
        shutil.rmtree(folder, ignore_errors=True)
    subprocess.run([generator, "--no-media", source], check=True, stdout=subprocess.DEVNULL)
    subprocess.run([generator, "--no-media", "--no-deletions", "--seed", "7", "--password",
                    PASSWORD, "--kdf-rounds", "1000", target], check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run([merge, "--only-deleted", "--category", "1", "--target-password", PASSWORD,
                    source, target, out], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    before, _ = address_book(target, work)
    after, check = address_book(out, work)
    if check != "ok":
        fail("the merged address book fails its integrity check: %s" % check)
    if after <= before:
        fail("the merged address book holds %d people, the target %d" % (after, before))
    print("OK: the merged backup decrypts with the target's password; %d people, %d before"
          % (after, before))


def main():
    generator, work = sys.argv[1], sys.argv[2]
    if len(sys.argv) > 3:
        check_merge(generator, work, sys.argv[3])
        return
    folder = os.path.join(work, "encrypted-sample")
    shutil.rmtree(folder, ignore_errors=True)
    # Every record as written: the check counts them.
    subprocess.run([generator, "--no-media", "--no-deletions", "--password", PASSWORD,
                    "--kdf-rounds", "1000", folder], check=True, stdout=subprocess.DEVNULL)

    with open(os.path.join(folder, "Manifest.plist"), "rb") as handle:
        manifest = plistlib.load(handle)
    header, _ = parse_keybag(manifest["BackupKeyBag"])
    if header.get("DPIC") != 1000 or len(header.get("DPSL", b"")) != 20:
        fail("the keybag's DPIC/DPSL are not what was asked for: %r" % header.get("DPIC"))
    people, _ = address_book(folder, work)
    if people != 300:
        fail("the decrypted address book holds %d people, not 300" % people)
    print("OK: keybag, Manifest.db and the address book decrypt; %d people" % people)
    check_old_scheme(generator, work)


if __name__ == "__main__":
    main()
