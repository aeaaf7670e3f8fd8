// Reading a form definition of the program's size (about 350 KB, nearly all
// of it Binary payloads) against copying the same bytes. The reader walks
// the bytes once and hands each payload to its owner as a view, so it
// should stay within a small factor of the copy and well under a millisecond.
#include <benchmark/benchmark.h>

#include <cstring>

#include "../tests/formdef/TestClasses.h"
#include "formdef/FormReader.h"
#include "formdef/FormWriter.h"

namespace {

using namespace skr;
using namespace skr::formdef_test;

const std::vector<uint8_t>& ProgramSizedStream() {
    static const std::vector<uint8_t> bytes = [] {
        RegisterTestClasses();
        TTestRoot root;
        BuildRichTree(root, 350 * 1024);
        return WriteRootComponent(root);
    }();
    return bytes;
}

void BM_ReadFormStream(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = ProgramSizedStream();
    for (auto _ : state) {
        TTestRoot root;
        ReadRootComponent(bytes, root);
        benchmark::DoNotOptimize(root.Widget1);
        LoadedLog().clear();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ReadFormStream)->Unit(benchmark::kMicrosecond);

void BM_CopySameBytes(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = ProgramSizedStream();
    for (auto _ : state) {
        std::vector<uint8_t> copy(bytes.size());
        std::memcpy(copy.data(), bytes.data(), bytes.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_CopySameBytes)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
