// libFuzzer target: any byte string given to the reader (into a window-like
// root with the test classes) and to the dump either reads or fails with
// one of the errors the reader is known to raise; anything else aborts.
#include <cstdio>
#include <cstdlib>

#include "formdef/FormReader.h"
#include "formdef/FormWriter.h"
#include "formdef/TestClasses.h"
#include "formdump/FormDump.h"

using namespace skr;
using namespace skr::formdef_test;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = (RegisterTestClasses(), true);
    (void)registered;
    const std::span<const uint8_t> bytes(data, size);
    {
        TTestRoot root;
        try {
            ReadRootComponent(bytes, root);
            // What was read writes out and reads back again. The first
            // writing may drop values the writer never stores (an empty
            // text, a value equal to its default), so the byte-exact round
            // trip is checked from the second writing on.
            TTestRoot once;
            ReadRootComponent(WriteRootComponent(root), once);
            const std::vector<uint8_t> written = WriteRootComponent(once);
            TTestRoot again;
            ReadRootComponent(written, again);
            if (WriteRootComponent(again) != written) {
                std::fprintf(stderr, "round trip differs\n");
                std::abort();
            }
        } catch (const Exception& e) {
            if (!IsKnownReaderError(e.Message())) {
                std::fprintf(stderr, "unexpected error: %s\n", e.Message().c_str());
                std::abort();
            }
        }
    }
    std::string text;
    DumpFormStream(bytes, text);
    LoadedLog().clear();
    return 0;
}
