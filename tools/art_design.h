// Pictures of the post-effect layer's overlays, lettered in the builder's block font.
#pragma once
#include <string>
#include <vector>

#include "art.h"
#include "datafile_writer.h"
#include "runtime/types.h"

// A 0x00RRGGBB picture being drawn.
struct ArtCanvas {
  u32 width = 0, height = 0;
  std::vector<u32> pixels;
  ArtCanvas(u32 w, u32 h) : width(w), height(h), pixels(size_t(w) * h, 0) {}
  void Put(i32 x, i32 y, u32 colour);
  // Keeps the brighter of each channel: shapes drawn over each other light up where they meet.
  void Lighten(i32 x, i32 y, u32 colour);
};

// Draws upper-case text with its top-left corner at (x, y), each cell scale x scale pixels, with a dim
// rim of glow_colour one pixel around the letters (glow_colour 0: none).
void Art_Text(ArtCanvas* canvas, i32 x, i32 y, const char* text, i32 scale, u32 colour, u32 glow_colour);
// Centres the text on column centre_x.
void Art_Text_Centred(ArtCanvas* canvas, i32 centre_x, i32 y, const char* text, i32 scale, u32 colour,
                      u32 glow_colour);

// The strip picture (320 x 170): four bright panels on black, cut at x 0, 83, 160 and 240.
ArtCanvas Art_Design_Strips(void);
// The text picture's pieces as the post-effect layer cuts them (22 rows high), four to a group, each
// with the words it holds; a group reads as three lines, the last of two pieces side by side.
struct ArtProsaPiece {
  i32 x, y, w;
  const char* text;
};
const u32 kArtProsaPieces = 16;
const i32 kArtProsaHeight = 22;
const i32 kArtProsaScale = 2;
const ArtProsaPiece kArtProsa[kArtProsaPieces] = {
    {2, 22, 90, "SIGNAL"},   {2, 44, 90, "FROM"},     {2, 66, 34, "UP"},   {34, 66, 60, "HIGH"},
    {2, 110, 90, "DRIFT"},   {2, 132, 90, "ACROSS"},  {2, 154, 34, "MY"},  {34, 154, 60, "SKY"},
    {102, 22, 90, "STEEL"},  {102, 44, 90, "AT SEA"}, {102, 66, 24, "IN"}, {124, 66, 80, "STORM"},
    {102, 110, 90, "AFTER"}, {102, 132, 90, "DARK"},  {102, 154, 24, "IT"}, {124, 154, 80, "GLOWS"}};
// The text picture (320 x 200): each piece's words in its own rectangle.
ArtCanvas Art_Design_Prosa(void);
// A picture as the bytes of a 24-bit PCX file, written through the engine's writer into a scratch file.
bool Art_Design_Pcx(const ArtCanvas& canvas, const std::string& scratch_path, std::vector<u8>* bytes);
// The entries "design/strips.pcx" and "design/prosa4.pcx".
bool Art_Design_Entries(const std::string& dir, std::vector<DatafileEntry>* entries);
