// Program entry: the command line has no effect; the launcher reads the environment.
#include "host/launch.h"

int main(int argc, char** argv) { return Launch_Main(argc, argv); }
