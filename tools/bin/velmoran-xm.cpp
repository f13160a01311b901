// Writes small XM test modules: a held tone, or a scale over one octave.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "xm_writer.h"

int main(int argc, char** argv) {
  if (argc < 3 || (strcmp(argv[1], "tone") && strcmp(argv[1], "scale"))) {
    fprintf(stderr, "usage: velmoran-xm tone|scale <output.xm> [note 1..96]\n");
    return 2;
  }
  int note = argc > 3 ? atoi(argv[3]) : 49;
  if (note < 1 || note > 96) {
    fprintf(stderr, "velmoran-xm: note must be 1..96\n");
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
    const int steps[8] = {0, 2, 4, 5, 7, 9, 11, 12};
    for (u32 i = 0; i < 8; i++)
      if (note + steps[i] <= 96) XmWriter_Cell(&song, p, i * 8, 0) = {u8(note + steps[i]), 1, 0, 0, 0};
  }
  song.orders.push_back(u8(p));
  return XmWriter_Save(argv[2], song) ? 0 : 1;
}
