// The entry of a test program run in a page: as the program's own, it ends
// through exit, the only way its result reaches the page once the browser
// has resumed it after a wait.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    std::exit(RUN_ALL_TESTS());
}
