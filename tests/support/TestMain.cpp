#include <clocale>
#include <gtest/gtest.h>

// The program sets the process locale once at start-up; the tests do the same, so the
// locale-dependent code sees what the environment (LC_ALL) asks for.
int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
