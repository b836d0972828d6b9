#!/usr/bin/env python3
"""Writes the ZIP archives the zip tests and benchmarks read, made by
producers independent of the shell: Python's zipfile and the zip command.

    zip_fixtures.py DIR [--large-mb N] [--many N] [--false-ends N] [--text-mb N] [--huge]

Into DIR, always:
  plain.zip            a.txt ("alpha\\n"), then the folder dir/
  mixed.zip            every member of MEMBERS below, stored or deflated
  zip64.zip            big.txt written with force_zip64 (Zip64 local header)
  crc-stored.zip       stored.txt of mixed.zip with one data byte flipped
  crc-deflated.zip     deflated.txt of mixed.zip with one data byte flipped
  truncated.zip        the first half of mixed.zip
  stub.zip             mixed.zip behind 1000 bytes, as a self-extracting program
  damaged-dir.zip      mixed.zip whose third directory entry is broken
  size-lie.zip         mixed.zip whose headers give deflated.txt a byte more
  empty-archive.zip    an archive without members
  not-a-zip.zip        a text file
  encrypted.zip        secret.txt, encrypted by the zip command
  placeholder.zip      h.txt, its size moved into a Zip64 field (zip -fz)
  zip64-end.zip        placeholder.zip, its end record's fields all escaped,
                       so that only the Zip64 end record leads to the directory
  zip64-end-stub.zip   zip64-end.zip behind 1000 bytes
  zipcmd.zip           the tree under zipcmd/ as the zip command packs it
  cp852.zip            CP852_MEMBERS, their names in raw bytes without the
                       UTF-8 flag, as older Polish Windows archivers wrote them
  flagged-cp852.zip    ok.txt, then a CP852 name flagged UTF-8
  odd-extra.zip        ODD_MEMBERS; b.txt's directory entry and c.txt's local
                       header hold an extra field that runs past its block
  long-comment.zip     ODD_MEMBERS; the end record's comment runs past the file
  short-count.zip      ODD_MEMBERS; the end record counts two of them
  no-zip64-field.zip   ODD_MEMBERS; b.txt's directory entry escapes its size
                       into a Zip64 field it does not have
  bzip2.zip            bzip2.txt, bzip2-compressed
  bombs.zip            deflate-bomb.bin and bzip2-bomb.bin, each BOMB_BYTES of
                       zeros whose headers say 1000 bytes; claims-600mib.txt,
                       "small\n" whose headers say 600 MiB; then after.txt
  src/                 the bytes of every member, for comparison
and on request:
  large.zip            large.bin, N MiB of half-compressible data (deflated)
  many.zip             N small members m/000000.txt ...
  false-ends.zip       N small members m/000000.txt ...; the end record's
                       comment holds FALSE_ENDS end records that lead to no
                       directory: half claim one larger than the real one,
                       half one that starts at a member's entry and runs up
                       to the record itself
  text.zip             text.txt, N MiB of UTF-8 text (deflated)
  huge-python.zip      zeros.bin, HUGE_BYTES of zeros streamed by zipfile
                       (force_zip64, data descriptor), then after.txt
  huge-zipcmd.zip      zeros.bin of the same size, by the zip command (-fz)
  src/zeros.bin.size-crc  its size and CRC as zipfile counted them
"""
import argparse
import io
import os
import random
import struct
import subprocess
import zipfile

LONG_NAME = ("d" * 99 + "/") * 2 + "n" * 96 + ".txt"  # 300 bytes
MEMBERS = [
    # name, bytes, compression
    ("stored.txt", b"stored bytes\n" * 10, zipfile.ZIP_STORED),
    ("deflated.txt", b"".join(b"line %06d of the deflated member\n" % i for i in range(8000)),
     zipfile.ZIP_DEFLATED),
    ("zażółć gęślą jaźń.txt", "Zażółć gęślą jaźń\n".encode("utf-8"), zipfile.ZIP_DEFLATED),
    ("empty.txt", b"", zipfile.ZIP_STORED),
    (LONG_NAME, b"long name\n", zipfile.ZIP_DEFLATED),
    ("zero.bin", b"before\0after", zipfile.ZIP_STORED),
    ("folder/inner/deep.txt", b"deep\n", zipfile.ZIP_DEFLATED),
]
# Names the way an older Windows archiver in Poland wrote them: in the DOS
# code page, or as UTF-8 bytes, and never flagged UTF-8.
CP852_MEMBERS = [
    # name, encoding of its bytes, content
    ("zażółć gęślą jaźń.txt", "cp852", b"cp852 name\n"),
    ("ŹDŹBŁO/łąka.txt", "cp852", b"in a cp852 folder\n"),
    ("żółw.txt", "utf-8", b"utf-8 bytes, no flag\n"),
]
# Readable members of archives with one odd header or record.
ODD_MEMBERS = [("a.txt", b"alpha\n"), ("b.txt", b"bravo\n"), ("c.txt", b"charlie\n")]
BZIP2_TEXT = b"".join(b"bzip2 line %05d\n" % i for i in range(3000))
BOMB_BYTES = 8 * 1024 * 1024
# As many end records as the longest comment holds, bar a few.
FALSE_ENDS = 2900
# Past 4 GiB, so that sizes and CRCs need Zip64, yet quick to inflate.
HUGE_BYTES = 4100 * 1024 * 1024


def write_source(out, name, data):
    path = os.path.join(out, "src", name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def flip_member_byte(archive, member, target):
    data = bytearray(open(archive, "rb").read())
    with zipfile.ZipFile(archive) as z:
        info = z.getinfo(member)
    # The data follows the local header, its name and its extra field.
    header = info.header_offset
    name_length = int.from_bytes(data[header + 26:header + 28], "little")
    extra_length = int.from_bytes(data[header + 28:header + 30], "little")
    start = header + 30 + name_length + extra_length
    data[start + info.compress_size // 2] ^= 0x01
    open(target, "wb").write(data)


def break_directory_entry(archive, index, target):
    data = bytearray(open(archive, "rb").read())
    position = -1
    for _ in range(index + 1):
        position = data.index(b"PK\x01\x02", position + 1)
    data[position:position + 4] = b"XXXX"
    open(target, "wb").write(data)


def record_size(data, member, size):
    """Makes the local header and the directory entry of `member` in the
    archive `data` (a bytearray) give `size` as its size."""
    entry = directory_entry(data, member)
    header = int.from_bytes(data[entry + 42:entry + 46], "little")
    data[header + 22:header + 26] = size.to_bytes(4, "little")
    data[entry + 24:entry + 28] = size.to_bytes(4, "little")


def directory_entry(data, member):
    entry = data.index(b"PK\x01\x02")
    while data[entry + 46:entry + 46 + len(member)] != member.encode():
        entry = data.index(b"PK\x01\x02", entry + 1)
    return entry


def grow_recorded_size(archive, member, target):
    data = bytearray(open(archive, "rb").read())
    with zipfile.ZipFile(archive) as z:
        record_size(data, member, z.getinfo(member).file_size + 1)
    open(target, "wb").write(data)


def zip_command(args, cwd):
    subprocess.run(["zip", "-q"] + args, cwd=cwd, check=True)


def small_fixtures(out):
    with zipfile.ZipFile(os.path.join(out, "plain.zip"), "w") as z:
        z.writestr("a.txt", b"alpha\n")
        z.writestr(zipfile.ZipInfo("dir/"), b"")
    write_source(out, "a.txt", b"alpha\n")

    mixed = os.path.join(out, "mixed.zip")
    with zipfile.ZipFile(mixed, "w") as z:
        for name, data, compression in MEMBERS:
            z.writestr(name, data, compress_type=compression)
            write_source(out, name, data)

    with zipfile.ZipFile(os.path.join(out, "zip64.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        with z.open("big.txt", "w", force_zip64=True) as f:
            f.write(b"zip64 member\n" * 5000)
    write_source(out, "big.txt", b"zip64 member\n" * 5000)

    flip_member_byte(mixed, "stored.txt", os.path.join(out, "crc-stored.zip"))
    flip_member_byte(mixed, "deflated.txt", os.path.join(out, "crc-deflated.zip"))
    whole = open(mixed, "rb").read()
    open(os.path.join(out, "stub.zip"), "wb").write(b"MZ" + bytes(998) + whole)
    open(os.path.join(out, "truncated.zip"), "wb").write(whole[:len(whole) // 2])
    break_directory_entry(mixed, 2, os.path.join(out, "damaged-dir.zip"))
    grow_recorded_size(mixed, "deflated.txt", os.path.join(out, "size-lie.zip"))
    zipfile.ZipFile(os.path.join(out, "empty-archive.zip"), "w").close()
    open(os.path.join(out, "not-a-zip.zip"), "w").write("just some text\n")

    tree = os.path.join(out, "zipcmd")
    os.makedirs(os.path.join(tree, "docs", "empty-folder"), exist_ok=True)
    for name, data in [("readme.txt", b"read me\n"), ("docs/guide.txt", b"guide\n" * 100)]:
        open(os.path.join(tree, name), "wb").write(data)
        write_source(out, "zipcmd/" + name, data)
    zip_command(["-r", os.path.join(out, "zipcmd.zip"), "readme.txt", "docs"], tree)
    zip_command(["-P", "password", os.path.join(out, "encrypted.zip"), "readme.txt"], tree)
    zip_command(["-fz", os.path.join(out, "placeholder.zip"), "readme.txt"], tree)
    zip64_end_fixtures(out)
    cp852_fixture(out)
    odd_fixtures(out)
    bomb_fixtures(out)


def odd_archive(extra_for=()):
    """ODD_MEMBERS deflated; the members named in `extra_for` carry an extra
    field of id 0xCAFE holding 4 bytes, in their local header and directory
    entry alike."""
    path = io.BytesIO()
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in ODD_MEMBERS:
            info = zipfile.ZipInfo(name, (2020, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            if name in extra_for:
                info.extra = struct.pack("<HH", 0xCAFE, 4) + b"odd!"
            z.writestr(info, data)
    return bytearray(path.getvalue())


def zip64_end_fixtures(out):
    data = bytearray(open(os.path.join(out, "placeholder.zip"), "rb").read())
    end = data.rindex(b"PK\x05\x06")
    data[end + 8:end + 20] = b"\xff" * 12  # both counts, size, offset
    open(os.path.join(out, "zip64-end.zip"), "wb").write(data)
    open(os.path.join(out, "zip64-end-stub.zip"), "wb").write(b"MZ" + bytes(998) + data)


def odd_fixtures(out):
    data = odd_archive(extra_for=("b.txt", "c.txt"))
    # The field's own length says 100 where its block holds 4.
    entry = directory_entry(data, "b.txt")
    data[entry + 46 + 5 + 2:entry + 46 + 5 + 4] = struct.pack("<H", 100)
    header = int.from_bytes(data[directory_entry(data, "c.txt") + 42:][:4], "little")
    data[header + 30 + 5 + 2:header + 30 + 5 + 4] = struct.pack("<H", 100)
    open(os.path.join(out, "odd-extra.zip"), "wb").write(data)

    data = odd_archive()
    end = data.rindex(b"PK\x05\x06")
    data[end + 20:end + 22] = struct.pack("<H", 500)
    open(os.path.join(out, "long-comment.zip"), "wb").write(data)

    data = odd_archive()
    data[end + 8:end + 12] = struct.pack("<HH", 2, 2)
    open(os.path.join(out, "short-count.zip"), "wb").write(data)

    data = odd_archive()
    entry = directory_entry(data, "b.txt")
    data[entry + 24:entry + 28] = b"\xff" * 4
    open(os.path.join(out, "no-zip64-field.zip"), "wb").write(data)

    for name, content in ODD_MEMBERS:
        write_source(out, "odd/" + name, content)

    with zipfile.ZipFile(os.path.join(out, "bzip2.zip"), "w", zipfile.ZIP_BZIP2) as z:
        z.writestr("bzip2.txt", BZIP2_TEXT)
    write_source(out, "bzip2.txt", BZIP2_TEXT)


def bomb_fixtures(out):
    path = io.BytesIO()
    with zipfile.ZipFile(path, "w") as z:
        zeros = bytes(BOMB_BYTES)
        z.writestr("deflate-bomb.bin", zeros, compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
        z.writestr("bzip2-bomb.bin", zeros, compress_type=zipfile.ZIP_BZIP2)
        z.writestr("claims-600mib.txt", b"small\n", compress_type=zipfile.ZIP_STORED)
        z.writestr("after.txt", b"after the bombs\n", compress_type=zipfile.ZIP_DEFLATED)
    data = bytearray(path.getvalue())
    record_size(data, "deflate-bomb.bin", 1000)
    record_size(data, "bzip2-bomb.bin", 1000)
    record_size(data, "claims-600mib.txt", 600 * 1024 * 1024)
    open(os.path.join(out, "bombs.zip"), "wb").write(data)


class UnflaggedName(zipfile.ZipInfo):
    """A member whose name zipfile writes in the given encoding, unflagged."""

    def __init__(self, name, encoding):
        super().__init__(name)
        self.name_encoding = encoding

    def _encodeFilenameFlags(self):
        return self.filename.encode(self.name_encoding), self.flag_bits & ~0x800


class FalselyFlaggedName(UnflaggedName):
    def _encodeFilenameFlags(self):
        return self.filename.encode(self.name_encoding), self.flag_bits | 0x800


def cp852_fixture(out):
    with zipfile.ZipFile(os.path.join(out, "cp852.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        for name, encoding, data in CP852_MEMBERS:
            info = UnflaggedName(name, encoding)
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data)
    with zipfile.ZipFile(os.path.join(out, "flagged-cp852.zip"), "w") as z:
        z.writestr("ok.txt", b"ok\n")
        z.writestr(FalselyFlaggedName("zażółć.txt", "cp852"), b"flagged\n")


class Unseekable:
    """A file zipfile cannot seek back in, so it streams: each member's sizes
    and CRC follow its data in a data descriptor."""

    def __init__(self, f):
        self.write = f.write
        self.flush = f.flush


def huge_fixtures(out):
    # A file with a hole reads as zeros and takes no disk space. The zip
    # command packs it while zipfile streams its own archive.
    tree = os.path.join(out, "huge")
    os.makedirs(tree, exist_ok=True)
    with open(os.path.join(tree, "zeros.bin"), "wb") as f:
        f.truncate(HUGE_BYTES)
    packing = subprocess.Popen(["zip", "-q", "-1", "-fz", os.path.join(out, "huge-zipcmd.zip"),
                                "zeros.bin"], cwd=tree)

    zeros = bytes(1024 * 1024)
    with open(os.path.join(out, "huge-python.zip"), "wb") as f:
        with zipfile.ZipFile(Unseekable(f), "w", zipfile.ZIP_DEFLATED, compresslevel=1) as z:
            with z.open("zeros.bin", "w", force_zip64=True) as member:
                for _ in range(HUGE_BYTES // len(zeros)):
                    member.write(zeros)
            z.writestr("after.txt", b"after the huge member\n")
            info = z.getinfo("zeros.bin")
    write_source(out, "zeros.bin.size-crc", b"%d %d\n" % (info.file_size, info.CRC))

    if packing.wait() != 0:
        raise RuntimeError("zip -fz failed")
    os.remove(os.path.join(tree, "zeros.bin"))
    os.rmdir(tree)


def large_fixture(out, megabytes):
    # Blocks of 64 KiB: random hex digits, then a repeated line. It deflates
    # to about a quarter, and inflating it takes real work.
    generator = random.Random(12)
    path = os.path.join(out, "src", "large.bin")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        for block in range(megabytes * 16):
            f.write(generator.randbytes(16 * 1024).hex().encode())
            f.write((b"block %08d of the large member\n" % block) * 936)
    with zipfile.ZipFile(os.path.join(out, "large.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        z.write(path, "large.bin")


def many_fixture(out, count):
    with zipfile.ZipFile(os.path.join(out, "many.zip"), "w") as z:
        for i in range(count):
            z.writestr("m/%06d.txt" % i, b"%d\n" % i)


def false_ends_fixture(out, count):
    path = io.BytesIO()
    with zipfile.ZipFile(path, "w") as z:
        for i in range(count):
            z.writestr("m/%06d.txt" % i, b"%d\n" % i)
    data = bytearray(path.getvalue())
    end = data.rindex(b"PK\x05\x06")
    size, start = struct.unpack("<II", data[end + 12:end + 20])
    entries = []
    at = start
    for _ in range(count):
        entries.append(at)
        name, extra, comment = struct.unpack("<HHH", data[at + 28:at + 34])
        at += 46 + name + extra + comment
    comment = bytearray()
    for k in range(FALSE_ENDS):
        record_at = end + 22 + len(comment)
        if k % 2 == 0:
            claimed_start, claimed_size = start, size + k + 1
        else:
            claimed_start = entries[(k // 2) % count]
            claimed_size = record_at - claimed_start
        comment += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count, claimed_size,
                               claimed_start, 0)
    data[end + 20:end + 22] = struct.pack("<H", len(comment))
    open(os.path.join(out, "false-ends.zip"), "wb").write(data + comment)


def text_fixture(out, megabytes):
    words = "zażółć gęślą jaźń pchnąć w tę łódź jeża lub ośm skrzyń fig".split()
    generator = random.Random(7)
    lines = []
    size = 0
    while size < megabytes * 1024 * 1024:
        line = " ".join(generator.choice(words) for _ in range(12)) + "\n"
        lines.append(line)
        size += len(line.encode("utf-8"))
    data = "".join(lines).encode("utf-8")
    write_source(out, "text.txt", data)
    with zipfile.ZipFile(os.path.join(out, "text.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("text.txt", data)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--large-mb", type=int, default=0)
    parser.add_argument("--many", type=int, default=0)
    parser.add_argument("--false-ends", type=int, default=0)
    parser.add_argument("--text-mb", type=int, default=0)
    parser.add_argument("--huge", action="store_true")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    small_fixtures(args.out)
    if args.large_mb:
        large_fixture(args.out, args.large_mb)
    if args.many:
        many_fixture(args.out, args.many)
    if args.false_ends:
        false_ends_fixture(args.out, args.false_ends)
    if args.text_mb:
        text_fixture(args.out, args.text_mb)
    if args.huge:
        huge_fixtures(args.out)


if __name__ == "__main__":
    main()
