// Whole-file helpers and the byte writer for the format writers of the asset builder.
#pragma once
#include <string>
#include <vector>

#include "runtime/bytewriter.h"
#include "runtime/types.h"

// Writes bytes to a file; returns false (and says why on stderr) when it cannot.
bool Write_File(const std::string& path, const std::vector<u8>& bytes);
bool Read_File(const std::string& path, std::vector<u8>* bytes);
