#!/usr/bin/env python3
"""make lint's layering check, on includes planted where they break a layer."""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import lint  # noqa: E402


class Layering(unittest.TestCase):
    # (file, its text, how many faults) – one row per rule.
    CASES = [
        ("core/romajitable.cpp", '#include "shell/clock.h"\n', 1),
        ("core/records/runlog.h", '#include "screens/screennames.h"\n', 1),
        ("core/items.cpp", "#include <QString>\n#include <vector>\n", 1),
        ("core/items.cpp", '#include "textfile.h"\n#include <string>\n', 0),
        ("shell/screen.cpp", '#include "screens/screennames.h"\n', 1),
        ("shell/records/records.cpp", '#include "core/textfile.h"\n#include <QDateTime>\n', 0),
        ("screens/practice/kekka.h", '#include "screens/story/fight.h"\n', 1),
        ("screens/practice/kekka.h",
         '#include "screens/screennames.h"\n#include "screens/practice/fileload.h"\n', 0),
        ("screens/screentable.cpp", '#include "screens/story/fight.h"\n', 0),
    ]

    def test_each_rule(self):
        for path, text, faults in self.CASES:
            with self.subTest(path=path, text=text):
                self.assertEqual(len(lint.layering_faults(path, text)), faults)

    def test_the_tree_holds_its_layers(self):
        os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
        self.assertTrue(lint.check_layering())


if __name__ == "__main__":
    unittest.main()
