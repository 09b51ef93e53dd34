#!/usr/bin/env python3
"""Writes the committed seed corpus (fuzz/corpus/<target>/): a few small, valid inputs for each
target, so every run starts from what the program really reads. Regression inputs found by fuzzing are added by hand beside these and are not touched."""
import os
import sqlite3
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def put(target, name, data):
    d = os.path.join(ROOT, target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("utf-8"))


def u16(text):
    return text.encode("utf-16-le")


def command_line():
    for i, line in enumerate(["-new 01012345678", "-recent", "-contacts", "1 010-1234-5678", "-NEW  x",
                              '"C:\\Program Files\\a b.exe" -x "q\\"uote" a\\\\\\"b']):
        put("fuzz_command_line", f"start-{i}", u16(line))
    put("fuzz_command_line", "launch-options",
        b"--device\0/tmp/d\0--headless\0--automate\0--virtual-clock\0002024-01-02 03:04:05\0"
        b"--screen\000480x800@192\0--zoom\0002\0-new\0x")


def wrap_text():
    for i, text in enumerate(["안녕하세요 오늘 저녁에 시간 괜찮으세요?", "line one\r\nline two\r\n\r\nthree",
                              "abcdefghijklmnopqrstuvwxyz0123456789", "가a나b다c라d마e바f사g아h자i차j카k",
                              "  010 1234 5678  "]):
        put("fuzz_wrap_text", f"text-{i}", u16(text))


def contact_record(name, mobile, key, home="", business="", categories="", picture=0):
    def field(text, units):
        b = u16(text)[: units * 2]
        return b + b"\0" * (units * 2 - len(b))
    return (field(categories, 16) + field(name, 16) + field("", 16) + field(mobile, 24) + field(business, 24) +
            field(home, 24) + field(key, 10) + field("", 10) +
            struct.pack("<iiii", 0, len(name), 0, 0) + struct.pack("<6i", 0, 0, 0, 0, 0, 0) +
            struct.pack("<IIii", 7, picture, 120, 120))


def contact_cache():
    book = (contact_record("김철수", "010-1234-5678", "ㄱㅊㅅ", categories="친구") +
            contact_record("Alice Kim", "01098765432", "alicekim", home="02-555-0101") +
            contact_record("이영희", "", "ㅇㅇㅎ", business="031-777-8888", picture=0x10002))
    assert len(book) == 3 * 336
    put("fuzz_contact_cache", "three-records", book)
    put("fuzz_contact_cache", "three-records-and-keys", book + bytes([0x12, 0x34, 0x1b, 0x75, 0xf0]))
    put("fuzz_contact_cache", "cut-record", book[:500])


def png(width, height, rgba):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    rows = b"".join(b"\0" + bytes(rgba[y * width * 4:(y + 1) * width * 4]) for y in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def bmp(width, height):
    stride = (width * 3 + 3) & ~3
    pixels = b"".join(b"".join(bytes([x * 50, y * 60, 200]) for x in range(width)) + b"\0" * (stride - width * 3)
                      for y in range(height))
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(header) + len(pixels), 0, 0, 54) + header + pixels


def picture_files():
    out = {"png": png(5, 3, [v % 256 for i in range(15) for v in (i * 17, 255 - i * 17, 90, 255)]),
           "alpha.png": png(6, 2, [255, 0, 0, 128] * 12),
           "bmp": bmp(3, 5)}
    # A small JPEG and GIF from Python's own test pictures, when this Python ships them.
    data = os.path.join(os.path.dirname(os.__file__), "test", "imghdrdata")
    for ext in ["jpg", "gif"]:
        path = os.path.join(data, "python." + ext)
        if os.path.exists(path):
            out[ext] = open(path, "rb").read()
        else:
            print("no " + path + ": the committed picture." + ext + " seed is kept", file=sys.stderr)
    return out


def picture(pics):
    for name, data in pics.items():
        put("fuzz_picture", "picture." + name, data)


def vcard(pics):
    import base64
    photo = base64.b64encode(pics["png"]).decode()
    put("fuzz_vcard", "v21-qp-euckr",
        b"BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=EUC-KR;ENCODING=QUOTED-PRINTABLE:=B1=E8;=C3=B6=BC=F6\r\n"
        b"TEL;CELL:010-1234-5678\r\nTEL;WORK;VOICE:02-555-0101\r\nCATEGORIES:Friends,Work\r\n"
        b"PHOTO;ENCODING=BASE64;TYPE=PNG:" + photo.encode() + b"\r\n\r\nEND:VCARD\r\n")
    put("fuzz_vcard", "v30-folded",
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:이영희\r\nN:이;영희;;;\r\nORG:Ostrand\r\nTEL;TYPE=cell,voice:01098765432\r\n"
        "TEL;type=HOME:031-777-\r\n 8888\r\nUID:abc-1\r\nPHOTO;ENCODING=b;TYPE=JPEG:" +
        base64.b64encode(pics.get("jpg", pics["png"])).decode() + "\r\nEND:VCARD\r\n")
    put("fuzz_vcard", "v40-data-uri",
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Alice Kim\r\nTEL;VALUE=uri;TYPE=\"voice,cell\":tel:+82-10-2222-3333\r\n"
        "PHOTO:data:image/gif;base64," + base64.b64encode(pics.get("gif", pics["png"])).decode() + "\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Park;Minsu\r\nTEL:1234\r\n")


def resfile():
    def bitmap(w, h):
        return struct.pack("<III", w, h, 1) + b"".join(struct.pack("<I", (x * 40) << 8 | y * 30)
                                                      for y in range(h) for x in range(w))
    items = [(2, 101, bitmap(3, 2)), (2, 102, bitmap(1, 1)), (6, 7, b"strings")]
    count = len(items)
    offset = 16 + 16 * count
    entries, payloads = b"", b""
    for t, i, p in items:
        entries += struct.pack("<HHIII", t, i, offset + len(payloads), len(p), zlib.crc32(p))
        payloads += p
    size = 16 + len(entries) + len(payloads)
    put("fuzz_resfile", "library", b"PRES" + struct.pack("<HHII", 1, count, size, 0) + entries + payloads)


SCHEMA = """
CREATE TABLE IF NOT EXISTS reg_keys(id INTEGER PRIMARY KEY AUTOINCREMENT, root INTEGER NOT NULL,
  fold TEXT NOT NULL, path TEXT NOT NULL, UNIQUE(root, fold));
CREATE TABLE IF NOT EXISTS reg_values(key_id INTEGER NOT NULL, fold TEXT NOT NULL, name TEXT NOT NULL,
  type INTEGER NOT NULL, data BLOB NOT NULL, serial INTEGER NOT NULL, PRIMARY KEY(key_id, fold));
CREATE TABLE IF NOT EXISTS reg_meta(name TEXT PRIMARY KEY, value INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS shell_notifications(seq INTEGER PRIMARY KEY AUTOINCREMENT, clsid TEXT NOT NULL,
  id INTEGER NOT NULL, priority INTEGER NOT NULL, duration INTEGER NOT NULL, flags INTEGER NOT NULL,
  title TEXT NOT NULL, html TEXT NOT NULL, time TEXT NOT NULL, UNIQUE(clsid, id));
INSERT OR IGNORE INTO reg_meta VALUES('serial', 0);
INSERT OR IGNORE INTO reg_keys(root, fold, path) VALUES(0,'',''),(1,'',''),(2,'',''),(3,'','');
"""


def registry():
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "registry.db")
        db = sqlite3.connect(path)
        db.execute("PRAGMA page_size=512")
        db.executescript(SCHEMA)
        keys = {}
        for root, display in [(1, "SOFTWARE"), (1, "SOFTWARE\\Ostrand"), (1, "SOFTWARE\\Ostrand\\Parlo"),
                              (2, "System"), (2, "System\\State"), (2, "System\\State\\Messages"),
                              (2, "System\\State\\Messages\\SMS"), (2, "System\\State\\Messages\\SMS\\Unread")]:
            cur = db.execute("INSERT INTO reg_keys(root, fold, path) VALUES(?,?,?)", (root, display.lower(), display))
            keys[display] = cur.lastrowid
        serial = 0

        def value(key, name, type_, data):
            nonlocal serial
            serial += 1
            db.execute("INSERT INTO reg_values VALUES(?,?,?,?,?,?)", (keys[key], name.lower(), name, type_, data, serial))
        parlo = "SOFTWARE\\Ostrand\\Parlo"
        for flag in ["use_lock", "use_original_view", "find_call_number", "find_company_name", "find_name",
                     "view_sort", "close"]:
            value(parlo, flag, 4, struct.pack("<I", flag == "use_lock"))
        value(parlo, "password", 7, u16("5836\0\0"))
        value(parlo, "store_path", 1, u16("\\Storage\\sms.vol\0"))
        value(parlo, "blob", 3, bytes(range(20)))
        value("System\\State\\Messages\\SMS\\Unread", "Count", 4, struct.pack("<I", 3))
        db.execute("UPDATE reg_meta SET value=? WHERE name='serial'", (serial,))
        db.commit()
        db.execute("PRAGMA journal_mode=WAL")
        db.close()
        put("fuzz_registry", "settings-and-unread", open(path, "rb").read())
    put("fuzz_registry", "empty", b"")


def instance_frames():
    def frame(op, payload, id_=7):
        return struct.pack("<IHHII", 0x4F4C5250, 1, op, id_, len(payload)) + payload
    cls = u16("ParloMainFrame")
    put("fuzz_instance_frame", "find", frame(1, struct.pack("<HH", len(cls) // 2, 0xFFFF) + cls))
    put("fuzz_instance_frame", "find-named", frame(1, struct.pack("<HH", len(cls) // 2, 2) + cls + u16("Mo")))
    data = u16("-new 01012345678\0")
    put("fuzz_instance_frame", "send-copydata",
        frame(2, struct.pack("<IIqqQI", 0x10002, 74, 0, 0x1234, 1, len(data)) + data))
    put("fuzz_instance_frame", "send-view", frame(2, struct.pack("<IIqqQI", 0x10002, 1035, 3, 0, 0, 0)))
    put("fuzz_instance_frame", "show", frame(3, struct.pack("<Ii", 0x10002, 5)))
    put("fuzz_instance_frame", "ping", frame(5, b""))
    put("fuzz_instance_frame", "reply", frame(0x8001, struct.pack("<Iq", 0, 0x10002)))


def automation():
    put("fuzz_automation", "session",
        "type 안녕 hello\nkey left\nkey backspace\ncompose 가\nkey enter down\nkey enter up\n"
        "tap 100 200\ndrag 10 10 300 400 250 5\nadvance 1000\nidle\nscreen\nstate\nanswer ok\n"
        "deactivate\nactivate\nkey hangul\ntype rkskek\nquit\n")
    put("fuzz_automation", "errors", "down 1\ndrag 1 2 3 4 -5\nadvance 01\nbogus\n\n   \nkey nosuch\ntype\n")


def main():
    pics = picture_files()
    command_line(); wrap_text(); contact_cache(); picture(pics); vcard(pics); resfile(); registry()
    instance_frames(); automation()


if __name__ == "__main__":
    sys.exit(main())
