// The Linux launcher: configuration from the environment, the data directory, the program run.
#pragma once

int Launch_Main(int argc, char** argv);
