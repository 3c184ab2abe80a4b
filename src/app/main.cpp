#include "uCommandLine.h"

#include <clocale>
#include <iostream>

int main(int argc, char** argv) {
    // Number and date texts follow the user's regional settings.
    std::setlocale(LC_ALL, "");
    return quorvex::RunCommandLine({argv + 1, argv + argc}, std::cout, std::cerr);
}
