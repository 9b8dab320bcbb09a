// quenzil: command-line front end of the library.
#include <cstdio>

int main() {
    std::puts("usage: quenzil <command> [options]");
    return 0;
}
