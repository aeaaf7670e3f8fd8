#include <gtest/gtest.h>

#include "core/Messages.h"
#include "formdef/FormReader.h"
#include "formdef/FormWriter.h"
#include "formdump/FormDump.h"
#include "TestClasses.h"

namespace skr::formdef_test {
namespace {

class Robustness : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestClasses(); }

    static std::vector<uint8_t> RichStream() {
        TTestRoot root;
        BuildRichTree(root, 40);
        return WriteRootComponent(root);
    }
};

TEST_F(Robustness, TruncationAtEveryOffsetEndsInAReadError) {
    const std::vector<uint8_t> full = RichStream();
    const std::string_view readError = msg::ReadError;
    for (size_t n = 0; n < full.size(); ++n) {
        const std::span<const uint8_t> cut(full.data(), n);
        TTestRoot root;
        try {
            ReadRootComponent(cut, root);
            ADD_FAILURE() << "accepted " << n << " bytes";
        } catch (const Exception& e) {
            const std::string_view m = e.Message();
            EXPECT_TRUE(m.size() >= readError.size() && m.substr(m.size() - readError.size()) == readError)
                << n << ": " << m;
        }
        std::string text;
        EXPECT_FALSE(DumpFormStream(cut, text)) << n;
        EXPECT_NE(text.find("error at offset"), std::string::npos);
    }
}

TEST_F(Robustness, EveryCorruptedByteEndsInAKnownErrorOrAValidRead) {
    const std::vector<uint8_t> full = RichStream();
    const uint8_t replacements[] = {0x00, 0x07, 0x0A, 0x0E, 0xF2, 0xFF};
    for (size_t at = 0; at < full.size(); ++at) {
        for (uint8_t r : replacements) {
            std::vector<uint8_t> bad = full;
            bad[at] = r;
            TTestRoot root;
            try {
                ReadRootComponent(bad, root);
            } catch (const Exception& e) {
                EXPECT_TRUE(IsKnownReaderError(e.Message())) << at << ": " << e.Message();
            }
            std::string text;
            DumpFormStream(bad, text);
        }
    }
}

TEST_F(Robustness, EndlessListNestingEndsInAnErrorNotAStackOverflow) {
    StreamBuilder s;
    s.Signature().Object("TForm1", "Form1").Prop("TextHeight");
    for (int i = 0; i < 100000; ++i) s.Raw({1});
    TTestRoot root;
    EXPECT_THROW(ReadRootComponent(s.b, root), EReadError);
    std::string text;
    EXPECT_FALSE(DumpFormStream(s.b, text));
    EXPECT_NE(text.find(msg::InvalidStreamFormat), std::string::npos);
}

}  // namespace
}  // namespace skr::formdef_test
