// Definitions that read without error but leave out a component the game
// needs: building the window fails with an error naming the component, and
// the program ends with the fatal start-up box instead of crashing later.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/Program.h"
#include "formdef/FormReader.h"
#include "game/Unit1.h"
#include "platform/Resources.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/LittleEndian.h"

namespace skr {
namespace {

std::vector<uint8_t> Definition() {
    const std::span<const uint8_t> bytes = platform::FindProgramResource("TFORM1");
    return {bytes.begin(), bytes.end()};
}

// Replaces the component name `from` (stored as a short string) by `to`,
// which has the same length.
void Rename(std::vector<uint8_t>& def, const std::string& from, const std::string& to) {
    std::string stored(1, static_cast<char>(from.size()));
    stored += from;
    auto at = std::search(def.begin(), def.end(), stored.begin(), stored.end());
    ASSERT_NE(at, def.end()) << from;
    std::copy(to.begin(), to.end(), at + 1);
}

// Runs the whole program with the window read from `def`; a window that is
// built anyway is closed after a few seconds.
int RunWith(platform::HeadlessPlatform& p, const std::vector<uint8_t>& def) {
    p.Close(5000);
    return RunProgram(p, [&]() -> TForm* {
        RegisterProgramClasses();
        Form1 = new TForm1(nullptr);
        ReadRootComponent(def, *Form1);
        return Form1;
    });
}

TEST(DamagedForm, TheUndamagedDefinitionStillBuildsTheWindow) {
    platform::HeadlessPlatform p;
    EXPECT_EQ(RunWith(p, Definition()), 0);
    EXPECT_TRUE(p.ErrorBoxes().empty());
}

TEST(DamagedForm, ARenamedComponentEndsTheProgramWithTheFatalBoxNamingIt) {
    std::vector<uint8_t> def = Definition();
    Rename(def, "BitmapNumber", "BitmapNumbeX");
    platform::HeadlessPlatform p;
    EXPECT_EQ(RunWith(p, def), 1);
    ASSERT_EQ(p.ErrorBoxes().size(), 1u);
    EXPECT_EQ(p.ErrorBoxes()[0].title, "アプリケーション エラー");
    EXPECT_NE(p.ErrorBoxes()[0].text.find("EReadError"), std::string::npos);
    EXPECT_NE(p.ErrorBoxes()[0].text.find("コンポーネント BitmapNumber が見つかりません."), std::string::npos)
        << p.ErrorBoxes()[0].text;
    EXPECT_FALSE(p.Shown().has_value());
}

TEST(DamagedForm, AComponentOfAnotherClassUnderTheNameCountsAsMissing) {
    // A picture and a sound clip trade names: both references stay empty.
    std::vector<uint8_t> def = Definition();
    Rename(def, "Igoback", "Xgoback");
    Rename(def, "WaveEnd", "Igoback");
    Rename(def, "Xgoback", "WaveEnd");
    platform::HeadlessPlatform p;
    EXPECT_EQ(RunWith(p, def), 1);
    ASSERT_EQ(p.ErrorBoxes().size(), 1u);
    EXPECT_NE(p.ErrorBoxes()[0].text.find("コンポーネント WaveEnd が見つかりません"), std::string::npos)
        << p.ErrorBoxes()[0].text;
}

TEST(DamagedForm, APictureLengthSwallowingTheLaterRecordsLeavesThemMissing) {
    // The first picture's payload is made to run on to the 0 byte that ends
    // the last component's properties: the reader then ends the window there,
    // without the components after the first picture. The error names the
    // first of them in the window's declaration order.
    std::vector<uint8_t> def = Definition();
    const std::string key = "\x0cPicture.Data";
    auto at = std::search(def.begin(), def.end(), key.begin(), key.end());
    ASSERT_NE(at, def.end());
    const size_t lengthAt = static_cast<size_t>(at - def.begin()) + key.size() + 1;  // after the Binary tag
    // The stream ends with: last property list end (0), children end (0), window end (0).
    const size_t runTo = def.size() - 3;
    const uint32_t length = static_cast<uint32_t>(runTo - (lengthAt + 4));
    test::Put32At(def, lengthAt, length);
    platform::HeadlessPlatform p;
    EXPECT_EQ(RunWith(p, def), 1);
    ASSERT_EQ(p.ErrorBoxes().size(), 1u);
    EXPECT_NE(p.ErrorBoxes()[0].text.find("コンポーネント BitmapBlorp が見つかりません"), std::string::npos)
        << p.ErrorBoxes()[0].text;
}

}  // namespace
}  // namespace skr
