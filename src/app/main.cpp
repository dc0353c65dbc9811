// Program entry. Until the main window lands, the program says what it is and what it can
// already do, and exits.
#include <cstdio>

int main() {
    std::puts("Celdara " CELDARA_VERSION " - a monitor for GSM modems on serial ports.\n"
              "The main window is not built yet: the reply parsers and helpers are in place\n"
              "and tested (see README.md for the test command).");
    return 0;
}
