// The tests' main: the process takes the user's locale, as the GUI's QApplication does, so a run
// under LC_ALL=it_IT.UTF-8 shows any number the core reads or writes through the locale.
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
