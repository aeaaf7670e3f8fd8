// skr_formdump <file>: prints a form definition stream as readable text.
// Exit code 0 for a whole stream, 1 for a bad one (the last line then gives
// the reader's message and the byte offset), 2 when the file cannot be read.
#include <cstdio>
#include <optional>
#include <vector>

#include "formdump/FormDump.h"
#include "support/Files.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <form definition file>\n", argv[0]);
        return 2;
    }
    const std::optional<std::vector<uint8_t>> bytes = skr::test::TryReadFile(argv[1]);
    if (!bytes) {
        std::fprintf(stderr, "%s: cannot open\n", argv[1]);
        return 2;
    }
    std::string text;
    const bool ok = skr::DumpFormStream(*bytes, text);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return ok ? 0 : 1;
}
