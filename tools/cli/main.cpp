// quenzil: the command-line front end of the library.
#include "tools/cli/commands.h"

int main(int argc, char** argv) { return qcli::Main(argc, argv); }
