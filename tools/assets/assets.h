// The asset builder's parts: the data file with every entry the loaders open, and the music.
#pragma once
#include <string>
#include <vector>

#include "datafile_writer.h"

bool Assets_Write_Datafile(const std::string& dir);
bool Assets_Write_Music(const std::string& dir);

// Each part of the show adds the entries its loaders open; dir is a scratch directory for
// writers that go through files. Each returns false (having said why) when it cannot.
bool Assets_Design(const std::string& dir, std::vector<DatafileEntry>* entries);
bool Assets_Intro(const std::string& dir, std::vector<DatafileEntry>* entries);
bool Assets_Rig(const std::string& dir, std::vector<DatafileEntry>* entries);
bool Assets_Term(const std::string& dir, std::vector<DatafileEntry>* entries);
bool Assets_Race(const std::string& dir, std::vector<DatafileEntry>* entries);
bool Assets_Box(const std::string& dir, std::vector<DatafileEntry>* entries);
bool Assets_Eye(const std::string& dir, std::vector<DatafileEntry>* entries);
bool Assets_Gang(const std::string& dir, std::vector<DatafileEntry>* entries);
bool Assets_Plasma(const std::string& dir, std::vector<DatafileEntry>* entries);
bool Assets_Coon(const std::string& dir, std::vector<DatafileEntry>* entries);
bool Assets_Credits(const std::string& dir, std::vector<DatafileEntry>* entries);
