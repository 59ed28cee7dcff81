import tempfile
import unittest
from pathlib import Path

import check_includes

SRC = Path(__file__).resolve().parents[2] / "src"


class CheckIncludes(unittest.TestCase):
    def tree(self, files):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        root = Path(folder.name)
        for name, includes in files.items():
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text("".join(f'#include "{i}"\n' for i in includes))
        return root

    def test_the_sources_keep_their_layers(self):
        graph, found = check_includes.problems(SRC)
        self.assertEqual([], found)
        self.assertGreater(len(graph), 50)

    def test_upward_and_sideways_includes_are_reported(self):
        root = self.tree({
            "platform/Low.h": ["web/Client.h"],
            "web/Client.h": ["settings/Ini.h", "platform/Low.h"],
            "settings/Ini.h": ["location/Record.h", "resource.h"],
            "location/Record.h": [],
        })
        _, found = check_includes.problems(root)
        self.assertIn("platform/Low.h includes web/Client.h: platform may not use web", found)
        self.assertIn("web/Client.h includes settings/Ini.h: web may not use settings", found)
        self.assertFalse(any(f.startswith("settings/Ini.h") for f in found))

    def test_a_circle_inside_one_folder_is_reported(self):
        root = self.tree({
            "web/Probe.h": ["web/Client.h"],
            "web/Client.h": ["Fetch.h"],
            "web/Fetch.h": ["web/Probe.h"],
        })
        _, found = check_includes.problems(root)
        self.assertEqual(["circle: web/Client -> web/Fetch -> web/Probe -> web/Client"], found)

    def test_sources_that_include_each_others_headers_form_a_circle(self):
        root = self.tree({
            "web/Probe.h": [],
            "web/Probe.cpp": ["web/Probe.h", "web/Client.h"],
            "web/Client.h": [],
            "web/Client.cpp": ["web/Client.h", "web/Probe.h"],
        })
        _, found = check_includes.problems(root)
        self.assertEqual(["circle: web/Client -> web/Probe -> web/Client"], found)

    def test_a_folder_without_a_layer_may_not_include_project_files(self):
        root = self.tree({"extra/Tool.cpp": ["platform/Low.h"], "platform/Low.h": []})
        _, found = check_includes.problems(root)
        self.assertEqual(["extra/Tool.cpp: folder 'extra' has no layer"], found)

    def test_file_system_calls_above_platform_are_reported(self):
        root = self.tree({"platform/Files.cpp": [], "web/Client.cpp": []})
        (root / "platform/Files.cpp").write_text("HANDLE file = CreateFileW(path);\n")
        (root / "web/Client.cpp").write_text("// CreateFileA, said in a comment\n"
                                             "DeleteFileA(path); widePath (path);\n")
        _, found = check_includes.problems(root)
        self.assertEqual(["web/Client.cpp calls DeleteFileA, which only platform may",
                          "web/Client.cpp calls widePath, which only platform may"], found)


if __name__ == "__main__":
    unittest.main()
