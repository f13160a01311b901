// Writes small XM test modules: a held tone, or a scale over one octave.
#include <cstdio>
#include <cstring>

#include "writer.h"
#include "xm_writer.h"

namespace {
const u32 kNoteDefault = 49;  // the A of the fourth octave
const u32 kNoteMax = 96;
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4 || (strcmp(argv[1], "tone") && strcmp(argv[1], "scale"))) {
    fprintf(stderr, "usage: velmoran-xm tone|scale <output.xm> [note 1..96]\n");
    return 2;
  }
  u32 note = kNoteDefault;
  if (argc > 3 && (!Parse_Whole(argv[3], kNoteMax, &note) || note < 1)) {
    fprintf(stderr, "velmoran-xm: note must be a whole number 1..96, not %s\n", Quote_Token(argv[3]).c_str());
    return 2;
  }
  XmSong song;
  song.name = argv[1];
  song.channels = 2;
  XmWriterInstrument sine;
  sine.name = "sine";
  sine.samples.push_back(XmWriter_Cycle("sine", 32, 16000, 's'));
  song.instruments.push_back(sine);
  u32 p = XmWriter_Add_Pattern(&song, 64);
  if (!strcmp(argv[1], "tone")) {
    XmWriter_Cell(&song, p, 0, 0) = {u8(note), 1, 0, 0, 0};
  } else {
    const u32 steps[8] = {0, 2, 4, 5, 7, 9, 11, 12};
    for (u32 i = 0; i < 8; i++)
      if (note + steps[i] <= kNoteMax) XmWriter_Cell(&song, p, i * 8, 0) = {u8(note + steps[i]), 1, 0, 0, 0};
  }
  song.orders.push_back(u8(p));
  return XmWriter_Save(argv[2], song) ? 0 : 1;
}
