// File: app/main.cpp
// The executable queqiao: runs the program and ends the process at once, so that a harvest
// worker still running does not hold up the exit.
#include <cstdio>
#include <cstdlib>

#include "app/start.h"

int main() {
    const int code = start_program();
    std::fflush(nullptr);
    std::_Exit(code);
}
