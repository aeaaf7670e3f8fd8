#include <gtest/gtest.h>

#include <algorithm>

#include "formdef/FormReader.h"
#include "formdef/FormWriter.h"
#include "TestClasses.h"

namespace skr::formdef_test {
namespace {

class Writer : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestClasses(); }

    static size_t Count(const std::vector<uint8_t>& hay, const std::vector<uint8_t>& needle) {
        size_t n = 0;
        for (auto it = hay.begin(); (it = std::search(it, hay.end(), needle.begin(), needle.end())) != hay.end(); ++it)
            ++n;
        return n;
    }
    static std::vector<uint8_t> Entry(const StreamBuilder& b) { return b.b; }
};

TEST_F(Writer, WhatItWritesReadsBackToTheSameBytes) {
    TTestRoot root;
    BuildRichTree(root);
    const std::vector<uint8_t> first = WriteRootComponent(root);

    TTestRoot copy;
    ReadRootComponent(first, copy);
    EXPECT_EQ(WriteRootComponent(copy), first);

    ASSERT_NE(copy.Widget1, nullptr);
    ASSERT_NE(copy.Timer1, nullptr);
    EXPECT_EQ(copy.clientWidth, 385);
    EXPECT_EQ(copy.Widget1->blob.data, root.Widget1->blob.data);
    EXPECT_EQ(copy.Widget1->caption, root.Widget1->caption);
    EXPECT_EQ(copy.Widget1->picture.Width(), 7);
    EXPECT_DOUBLE_EQ(copy.Widget1->ratio, 2.25);
    EXPECT_EQ(copy.Widget1->big, int64_t{1} << 40);
    EXPECT_EQ(copy.Widget2->Tag(), 100000);
    EXPECT_EQ(copy.Widget2->big, -5);
    EXPECT_EQ(copy.Timer1->armedWith, 250);
    EXPECT_EQ(copy.font.Name(), root.font.Name());
}

TEST_F(Writer, ATimerWritesTheRecordOfTheWorkedExample) {
    TTestRoot root;
    root.SetName("Form1");
    AddTimer1(root);
    const std::vector<uint8_t> bytes = WriteRootComponent(root);
    std::vector<uint8_t> tail = kTimer1Record;
    tail.push_back(0);  // the root's child-list end
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), bytes.end() - static_cast<ptrdiff_t>(tail.size())));
}

TEST_F(Writer, ChoosesTheSmallestTagAndLeavesDefaultsOut) {
    TTestRoot root;
    BuildRichTree(root);
    const std::vector<uint8_t> bytes = WriteRootComponent(root);
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Prop("Left").Int16(192))), 1u);
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Prop("Top").Int8(107))), 1u);
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Prop("Font.Height").Int8(-12))), 1u);
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Prop("Tag").Int32(100000))), 1u);
    // The root's font and both widgets' fonts.
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Prop("Font.Style").Set({}))), 3u);
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Prop("Font.Color").Ident("clWindowText"))), 3u);
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Prop("Color").Ident("clBlack"))), 1u);
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Prop("Font.Charset").Ident("SHIFTJIS_CHARSET"))), 1u);
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Prop("Scaled").Raw({8}))), 1u);
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Prop("Visible").Raw({8}))), 1u);  // only the hidden one
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Prop("Options").Set({"woBold", "woWide"}))), 1u);
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Prop("OnClick").Ident("Widget1Click"))), 1u);
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Prop("Caption").Str(std::string(255, 'd')))), 1u);
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Prop("Caption").Raw({12, 44, 1, 0, 0}))), 1u);  // LString 300
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Prop("TextHeight").Int8(12))), 1u);
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Short("Blob.Data"))), 1u);  // the empty blob has no data
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Short("OnMouseDown"))), 1u);  // the root's; unbound ones are left out
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Short("Big").Raw({19}))), 1u);
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Short("Interval"))), 1u);
    EXPECT_EQ(Count(bytes, Entry(StreamBuilder().Short("Enabled"))), 0u);
}

}  // namespace
}  // namespace skr::formdef_test
