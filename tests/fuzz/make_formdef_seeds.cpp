// Writes the fuzz target's seed corpus: streams produced by the writer.
#include <cstdio>
#include <string>

#include "formdef/FormWriter.h"
#include "formdef/TestClasses.h"

using namespace skr;
using namespace skr::formdef_test;

static void Save(const std::string& dir, const char* name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir + "/" + name;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    RegisterTestClasses();
    const std::string dir = argv[1];
    {
        TTestRoot root;
        BuildRichTree(root, 16);
        Save(dir, "rich", WriteRootComponent(root));
    }
    {
        TTestRoot root;
        root.SetName("Form1");
        AddTimer1(root);
        Save(dir, "timer", WriteRootComponent(root));
    }
    {
        StreamBuilder s;
        s.Signature().Raw({0xF2, 2, 1}).Object("TForm1", "Form1").Prop("Caption").Raw({18, 2, 0, 'a', 0, 0x42, 0x30})
            .Prop("TextHeight").Raw({1, 2, 1, 0}).End().Object("TGadget", "G").End().End().End();
        Save(dir, "tags", s.b);
    }
    return 0;
}
