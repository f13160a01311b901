// The asset builder's parts: the data file with every entry the loaders open, and the music.
#pragma once
#include <string>

bool Assets_Write_Datafile(const std::string& dir);
bool Assets_Write_Music(const std::string& dir);
