// The show's music "velmoran.xm": a simple 16-channel song at speed 6 and 125 BPM until the real one.
#include <cmath>
#include <vector>

#include "assets/assets.h"
#include "xm_writer.h"

namespace {
const u32 kOrders = 55;
const u32 kRows = 64;
const u8 kKeyOff = 97;

enum Channel : u32 { KICK = 0, SNARE = 1, HAT = 2, BASS = 3, PAD = 4, LEAD = 11, BELL_A = 13, BELL_B = 14 };
enum Instrument : u8 { I_KICK = 1, I_SNARE, I_HAT, I_BASS, I_PAD, I_BELL, I_LEAD };

u32 noise_state = 0x2F6E2B1;
f64 Noise(void) {
  noise_state = noise_state * 1103515245u + 12345u;
  return f64((noise_state >> 16) & 0x7FFF) / 16384.0 - 1.0;
}

// A sample played at C-4 runs at 8363 values a second.
XmWriterSample Decay(const char* name, u32 length, f64 amplitude, f64 decay, f64 tone_hz, f64 sweep,
                     f64 noise) {
  XmWriterSample s;
  s.name = name;
  f64 phase = 0;
  for (u32 i = 0; i < length; i++) {
    f64 t = i / 8363.0;
    phase += 2 * M_PI * (tone_hz + sweep * std::exp(-t * 30)) / 8363.0;
    f64 v = (std::sin(phase) * (1 - noise) + Noise() * noise) * amplitude * std::exp(-t * decay);
    s.data.push_back(i16(std::lround(v)));
  }
  return s;
}

XmWriterInstrument Instrument(const char* name, XmWriterSample sample) {
  XmWriterInstrument in;
  in.name = name;
  in.samples.push_back(sample);
  return in;
}

XmWriterEnvelope Envelope(std::vector<std::pair<u16, u16>> points, i32 sustain) {
  XmWriterEnvelope e;
  e.points = points;
  e.type = 1;
  if (sustain >= 0) {
    e.type |= 2;
    e.sustain = u8(sustain);
  }
  return e;
}

void Put(XmSong* song, u32 pattern, u32 row, u32 channel, u8 note, u8 instrument, u8 volume) {
  XmWriterCell& c = XmWriter_Cell(song, pattern, row, channel);
  c.note = note;
  c.instrument = instrument;
  c.volume = volume;
}

// Am, F, C, G, sixteen rows each: bass root and three pad notes.
const u8 kRoot[4] = {34, 30, 37, 32};
const u8 kChord[4][3] = {{46, 49, 53}, {42, 46, 49}, {49, 53, 56}, {44, 48, 51}};

void Drums(XmSong* song, u32 p, bool snare) {
  for (u32 r = 0; r < kRows; r += 4) {
    Put(song, p, r, KICK, 49, I_KICK, 0x50);
    if (snare && r % 8 == 4) Put(song, p, r, SNARE, 49, I_SNARE, 0x40);
    Put(song, p, r + 2, HAT, 61, I_HAT, 0x28);
  }
}

void Harmony(XmSong* song, u32 p, bool bass) {
  for (u32 chord = 0; chord < 4; chord++) {
    u32 r = chord * 16;
    for (u32 v = 0; v < 3; v++) {
      Put(song, p, r, PAD + v, kChord[chord][v], I_PAD, 0x30);
      Put(song, p, r + 14, PAD + v, kKeyOff, 0, 0);
    }
    if (!bass) continue;
    const u32 steps[6] = {0, 4, 6, 8, 12, 14};
    for (u32 i = 0; i < 6; i++) Put(song, p, r + steps[i], BASS, u8(kRoot[chord] + (i % 2) * 12), I_BASS, 0x40);
  }
}

void Lead(XmSong* song, u32 p) {
  for (u32 chord = 0; chord < 4; chord++)
    for (u32 i = 0; i < 8; i++)
      Put(song, p, chord * 16 + i * 2, LEAD, u8(kChord[chord][i % 3] + 12), I_LEAD, 0x38);
}

void Bells(XmSong* song, u32 p) {
  for (u32 r = 0; r < kRows; r += 8) {
    u32 chord = r / 16;
    Put(song, p, r, BELL_A, u8(kChord[chord][2] + 12), I_BELL, 0x40);
    Put(song, p, r + 4, BELL_B, u8(kChord[chord][0] + 24), I_BELL, 0x38);
  }
}
}  // namespace

bool Assets_Write_Music(const std::string& dir) {
  XmSong song;
  song.name = "Velmoran";
  song.channels = 16;
  song.restart = kOrders - 1;
  song.speed = 6;
  song.bpm = 125;

  XmWriterInstrument kick = Instrument("kick", Decay("kick", 3000, 30000, 8, 50, 100, 0));
  XmWriterInstrument snare = Instrument("snare", Decay("snare", 3000, 20000, 15, 180, 0, 0.7));
  XmWriterSample hat = Decay("hat", 1200, 100, 60, 0, 0, 1);
  hat.sixteen_bit = false;
  XmWriterInstrument hats = Instrument("hat", hat);
  XmWriterInstrument bass = Instrument("bass", XmWriter_Cycle("saw", 32, 22000, 'w'));
  bass.volume_envelope = Envelope({{0, 64}, {8, 40}, {40, 24}}, 2);
  bass.fadeout = 1024;
  XmWriterSample pad_wave = XmWriter_Cycle("triangle", 64, 14000, 't');
  pad_wave.relative_note = 12;
  XmWriterInstrument pad = Instrument("pad", pad_wave);
  pad.volume_envelope = Envelope({{0, 0}, {20, 48}, {60, 40}}, 2);
  pad.fadeout = 512;
  XmWriterSample bell_wave = XmWriter_Cycle("sine", 32, 20000, 's');
  bell_wave.panning = 170;
  XmWriterInstrument bell = Instrument("bell", bell_wave);
  bell.volume_envelope = Envelope({{0, 64}, {30, 20}, {100, 0}}, -1);
  XmWriterSample lead_wave = XmWriter_Cycle("square", 32, 12000, 'q');
  lead_wave.panning = 96;
  XmWriterInstrument lead = Instrument("lead", lead_wave);
  lead.volume_envelope = Envelope({{0, 50}, {10, 30}, {40, 0}}, -1);
  lead.vibrato_type = 0;
  lead.vibrato_sweep = 20;
  lead.vibrato_depth = 4;
  lead.vibrato_rate = 16;
  song.instruments = {kick, snare, hats, bass, pad, bell, lead};

  // 0 intro, 1 groove, 2 groove with lead, 3 groove with bells (channels 13 and 14), 4 outro.
  for (u32 p = 0; p < 5; p++) XmWriter_Add_Pattern(&song, kRows);
  Drums(&song, 0, false);
  Harmony(&song, 0, false);
  for (u32 p = 1; p <= 3; p++) {
    Drums(&song, p, true);
    Harmony(&song, p, true);
  }
  Lead(&song, 2);
  Bells(&song, 3);
  Harmony(&song, 4, false);
  Put(&song, 4, 0, KICK, 49, I_KICK, 0x50);

  for (u32 i = 0; i < kOrders; i++) {
    u8 p = i < 2 ? 0 : i == kOrders - 1 ? 4 : (i == 36 || i == 37) ? 3 : ((i - 2) / 4) % 2 ? 2 : 1;
    song.orders.push_back(p);
  }
  return XmWriter_Save(dir + "/velmoran.xm", song);
}
