// Whole-file helpers, the tools' token and number checks, and the byte writer for the format writers.
#pragma once
#include <string>
#include <vector>

#include "runtime/bytewriter.h"
#include "runtime/types.h"

// Writes bytes to a file whole or not at all: they go to a temporary file beside it, renamed over it only
// once complete (devices and pipes, which cannot be replaced, are written straight). Returns false, and
// says why on stderr with the system's reason, when it cannot; no partial file is left then.
bool Write_File(const std::string& path, const std::vector<u8>& bytes);
// Reads a whole file; false when it cannot (a folder among the cases), with the system's reason in *why.
bool Read_File(const std::string& path, std::vector<u8>* bytes, std::string* why = nullptr);

// A token as a message quotes it: cut to a readable length, the cut marked.
std::string Quote_Token(const std::string& token);
// A whole decimal number from 0 to max, digits only; false for anything else (no sign, no wrapping).
bool Parse_Whole(const std::string& text, u32 max, u32* value);

// A new folder of this process's own, "<parent>/vm.XXXXXX": removed with its contents when the process
// that made it exits (not by forked children); empty when it cannot be made.
std::string Scratch_Dir_Make(const std::string& parent);
