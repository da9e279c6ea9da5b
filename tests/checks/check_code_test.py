#!/usr/bin/env python3
"""The structure checks catch what they are for: each check is run on a small
tree with one deliberately wrong line (it must fail and name the line) and on
the same tree without it (it must pass)."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "checks", "check-code")


def run(root, check):
    r = subprocess.run([sys.executable, CHECK, "--root", root, check], capture_output=True, text=True)
    return r.returncode, r.stdout


class CheckCodeTest(unittest.TestCase):
    def tree(self, files):
        root = tempfile.mkdtemp()
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w") as f:
                f.write(text)
        return root

    def expect(self, check, good, bad, needle):
        code, out = run(self.tree(good), check)
        self.assertEqual((code, out), (0, ""))
        code, out = run(self.tree({**good, **bad}), check)
        self.assertEqual(code, 1, out)
        self.assertIn(needle, out)

    def test_a_lower_layer_including_a_higher_one_fails(self):
        good = {"model/A.h": '#include "model/B.h"\n#include <vector>\n', "model/B.h": "",
                "app/View.cpp": '#include "model/A.h"\n#include "link/X.h"\n#include <QWidget>\n'}
        self.expect("layers", good, {"model/C.cpp": '#include "link/Worker.h"\n'},
                    "model/C.cpp:1: model/ includes link/Worker.h from the higher layer link/")
        self.expect("layers", good, {"link/D.cpp": '#include "model/A.h"\n#include <QObject>\n'},
                    "link/D.cpp:2: link/ never includes Qt")
        self.expect("layers", good, {"controls/core/E.h": '#include "controls/Button.h"\n'},
                    "controls/core/E.h:1: controls/core/ includes controls/Button.h")

    def test_each_layer_of_the_program_includes_only_the_layers_below_it(self):
        good = {"files/Doc.cpp": '#include "model/A.h"\n#include <vector>\n', "model/A.h": "",
                "controls/grid/Grid.cpp": '#include "controls/Button.h"\n#include <QWidget>\n',
                "pages/output/Page.cpp": '#include "controls/Button.h"\n',
                "features/presets/Prompt.cpp": '#include "pages/PageBase.h"\n#include "files/Doc.h"\n'
                                               '#include "features/system/Warn.h"\n',
                "app/View.cpp": '#include "features/presets/Prompt.h"\n#include "controls/grid/Grid.h"\n'}
        cases = [
            ({"files/Codec.cpp": '#include <QString>\n'}, "files/Codec.cpp:1: files/ never includes Qt"),
            ({"files/Names.cpp": '#include "controls/Button.h"\n'},
             "files/Names.cpp:1: files/ includes controls/Button.h from the higher layer controls/"),
            ({"controls/Button.cpp": '#include "controls/grid/Grid.h"\n'},
             "controls/Button.cpp:1: controls/ includes controls/grid/Grid.h from the higher layer controls/grid/"),
            ({"pages/output/Strip.cpp": '#include "features/outputs/Strip.h"\n'},
             "pages/output/Strip.cpp:1: pages/ includes features/outputs/Strip.h from the higher layer features/"),
            ({"features/outputs/Dialog.cpp": '#include "app/LumaraView.h"\n'},
             "features/outputs/Dialog.cpp:1: features/ includes app/LumaraView.h from the higher layer app/"),
        ]
        for bad, needle in cases:
            with self.subTest(needle=needle):
                self.expect("layers", good, bad, needle)

    def test_a_state_flag_indexed_by_a_number_fails(self):
        good = {"app/A.cpp": "g_StateFlags[kFlagStatusGuard] = 1; // not g_StateFlags[40]\n"}
        self.expect("state-flags", good, {"tests/app/T.cpp": "EXPECT_EQ(g_StateFlags[ 29].load(), 1);\n"},
                    "tests/app/T.cpp:1: g_StateFlags indexed by a number")

    def test_a_global_without_a_thread_role_fails(self):
        good = {"model/G.h": "extern std::atomic<int> g_A;\nextern UiThreadOnly<int> g_B;\n"
                             "extern uint8_t g_C[8] GUARDED_BY(g_DeviceLock);\nextern const char* const g_D;\n"}
        self.expect("globals", good, {"link/H.h": "extern int g_Count;\n"}, "link/H.h:1: global without a thread role")

    def test_a_folder_compiling_another_folders_source_fails(self):
        good = {"tools/fuzz/x/CMakeLists.txt": "lumara_add_fuzzer(x SOURCES x.cpp LIBS lumara_model)\n"}
        self.expect("sources", good, {"tools/fuzz/y/CMakeLists.txt": "add_executable(y ${PROJECT_SOURCE_DIR}/app/P.cpp)\n"},
                    "tools/fuzz/y/CMakeLists.txt:1: compiles another folder's source")

    def test_a_source_file_at_the_root_fails(self):
        good = {"CMakeLists.txt": "project(x)\n", "README.md": "", "model/Globals.h": "1\n"}
        self.expect("root", good, {"Globals.h": "1\n"}, "Globals.h: a source file at the repository's root")
        self.expect("root", good, {"main.cpp": "int main() {}\n"}, "main.cpp: a source file at the repository's root")


if __name__ == "__main__":
    unittest.main()
