#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets: small, typical and slightly odd inputs of each kind.

Usage: fuzz/make_seeds.py INSTALLED_DATA_FOLDER
The record-table seeds are the installed tables (laid out by tallyra-install-data); the rest is made here.
"""
import io
import os
import shutil
import sqlite3
import stat
import sys
import tempfile
import warnings
import zipfile

here = os.path.dirname(os.path.abspath(__file__))
corpus = os.path.join(here, "corpus")


def put(target, name, data):
    folder = os.path.join(corpus, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def settings():
    gbk = lambda s: s.encode("gb18030")
    put("settings_file", "typical.ini", gbk("[System]\r\nTitle=我的项目库\r\nInto=1\r\nColor1=255\r\ndir=D:\\工作\r\n"
                                           "[Install]\r\nTs=2\r\nTL=1\r\nDel=0\r\n"))
    put("settings_file", "messy.ini", b"; comment\n[system]\ntitle = spaced \n[System]\nTitle=second\n=novalue\n"
                                      b"[Install\nTs=x\r\n\xff\xfe[bad]\r\nkey=\x00value\r\n[]\r\n=\r\n")
    put("settings_file", "empty.ini", b"")


def compact_table(path, rows=()):
    """The table at path with 512-byte pages (a whole table in some 2 KiB, so that mutations reach the records
    within libFuzzer's length limit), with `rows` added to its records."""
    with tempfile.TemporaryDirectory() as folder:
        copy = os.path.join(folder, "table")
        shutil.copyfile(path, copy)
        db = sqlite3.connect(copy)
        for row in rows:
            db.execute("INSERT INTO records(deleted, f1, f2, f3, f4, f5, f6, f9, f13) VALUES (?,?,?,?,?,?,?,?,?)", row)
        db.commit()
        db.execute("PRAGMA page_size=512")
        db.execute("VACUUM")
        db.close()
        with open(copy, "rb") as f:
            return f.read()


def tables(data_folder):
    for name in ("DB.EDB", "type.edb", "tool.edb", "np.edb"):
        put("record_table", name.lower().replace(".", "_"), compact_table(os.path.join(data_folder, name)))
    projects = [
        (0, "P20240506070810", "甲项目", 0, "1.0", "2024-05-06T07:08:10", "2024-05-07T08:00:00", "zip", "备注"),
        (1, "P2", "已删除", 3, "2.1", "2024-05-06T07:08:11", None, "fd1", ""),
        (0, "P3", "x" * 300, -1, "", "not a time", "2024-05-07T08:00:00.123", "e", None),
    ]
    put("record_table", "db_edb_with_projects", compact_table(os.path.join(data_folder, "DB.EDB"), projects))


def archive(entries):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data, mode in entries:
            info = zipfile.ZipInfo(name, date_time=(2024, 5, 6, 7, 8, 10))
            info.create_system = 3
            info.external_attr = mode << 16
            z.writestr(info, data)
    return out.getvalue()


def archives():
    regular = stat.S_IFREG | 0o644
    put("extract_archive", "tree.zip", archive([
        ("src/", b"", stat.S_IFDIR | 0o755),
        ("src/main.e", b"program text " * 20, regular),
        ("gradlew", b"#!/bin/sh\necho hi\n", stat.S_IFREG | 0o755),
        ("lib/libfoo.so.1", b"\x7fELF", regular),
        ("lib/libfoo.so", b"libfoo.so.1", stat.S_IFLNK | 0o777),
        ("文档/说明.txt", "中文内容".encode("utf-8"), regular),
    ]))
    put("extract_archive", "outside_link.zip", archive([("evil", b"../../etc", stat.S_IFLNK | 0o777)]))
    put("extract_archive", "traversal.zip", archive([("../escape.txt", b"x", regular)]))
    stored = io.BytesIO()
    with zipfile.ZipFile(stored, "w", zipfile.ZIP_STORED) as z, warnings.catch_warnings():
        warnings.simplefilter("ignore")  # the duplicate is the point
        z.writestr("a.txt", b"stored")
        z.writestr("a.txt", b"duplicate")
    put("extract_archive", "duplicate.zip", stored.getvalue())
    put("extract_archive", "truncated.zip", archive([("big.bin", bytes(range(256)) * 64, regular)])[:300])


def names():
    put("entry_name", "plain.txt", b"src/main.e\nlib/util.e\nREADME")
    put("entry_name", "hostile.txt", b"../x\n..\\x\n/abs\nC:\\win\nc:rel\na/../../b\n./a/./b\n\x00nul\n")
    put("entry_name", "gbk.txt", "工程/说明.txt\n源码/主程序.e".encode("gb18030"))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    shutil.rmtree(corpus, ignore_errors=True)
    settings()
    tables(sys.argv[1])
    archives()
    names()


if __name__ == "__main__":
    main()
