#!/usr/bin/python3
"""The skin packer makes the same archive from the same files, whenever and wherever it runs."""
import os
import shutil
import sys
import tempfile
import unittest
import zipfile

sys.dont_write_bytecode = True  # leave no cache in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
pack_skin = __import__("pack-skin")


class PackSkinTest(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp()
        self.skin = os.path.join(self.work, "skin")
        for name, data in (("main.xml", b"<Window/>"), ("image/b.png", b"\x89PNG b"), ("image/a.png", b"\x89PNG a"),
                           (".hidden", b"x"), ("image/.cache/c.png", b"c")):
            path = os.path.join(self.skin, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)

    def tearDown(self):
        shutil.rmtree(self.work)

    def pack(self, name):
        output = os.path.join(self.work, name)
        pack_skin.pack(self.skin, output)
        with open(output, "rb") as f:
            return f.read()

    def test_same_files_give_the_same_bytes_whatever_their_times(self):
        first = self.pack("first.zip")
        os.utime(os.path.join(self.skin, "main.xml"), (1234567890, 1234567890))
        self.assertEqual(first, self.pack("second.zip"))

    def test_entries_are_sorted_forward_slashed_and_hidden_files_stay_out(self):
        self.pack("skin.zip")
        with zipfile.ZipFile(os.path.join(self.work, "skin.zip")) as archive:
            self.assertEqual(["image/a.png", "image/b.png", "main.xml"], archive.namelist())
            self.assertEqual(b"\x89PNG b", archive.read("image/b.png"))
            self.assertTrue(all(entry.date_time == (1980, 1, 1, 0, 0, 0) for entry in archive.infolist()))

    def test_no_partial_archive_is_left_behind(self):
        self.pack("skin.zip")
        self.assertEqual(["skin", "skin.zip"], sorted(os.listdir(self.work)))


if __name__ == "__main__":
    unittest.main()
