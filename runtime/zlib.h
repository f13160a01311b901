// zlib inflation of packed entries and files (u32 size, then a zlib stream) through the system's zlib.
#pragma once
#include "runtime/types.h"

struct z_stream_s;

// Inflates the whole stream into exactly destination_length bytes; returns the destination.
void* Zlib_Inflate(const void* source, void* destination, u32 source_length, u32 destination_length);
// Zlib_Inflate without the fatal end: 0 when the stream ended and filled the destination exactly,
// else a zlib result code, or ZLIB_INCOMPLETE when the stream stopped short of either end.
const i32 ZLIB_INCOMPLETE = 100;
i32 Zlib_Inflate_Status(const void* source, void* destination, u32 source_length, u32 destination_length);
u8* Zlib_Decompress_File(const char* name);
u8* Zlib_Decompress_Memory(const void* block);
u8* Zlib_Decompress_Stream(const char* name, u32 chunk);
// Reads the next chunk through the file layer into the stream's input when it is empty; the input count.
u32 Zlib_Refill(z_stream_s* stream);
// Fatal when a stream of stream_length bytes could never inflate to size bytes, so no block is taken for it.
void Zlib_Check_Size(u32 stream_length, u32 size);
// Fatal on the five zlib failure codes; any other result comes back unchanged.
i32 Zlib_Check(i32 result);
