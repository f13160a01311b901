// The show's music "velmoran.xm": 55 orders at speed 6 and 125 BPM whose sections follow the scenes.
#include <cstring>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "synth.h"
#include "xm_writer.h"

namespace {
const u32 kOrders = 55;
const u32 kRows = 64;
const u32 kBarRows = 16;
const u32 kBars = kRows / kBarRows;
const u8 kKeyOff = 97;
const u8 kC4 = 49;           // drums and effects play at their samples' own pitch
const u8 kSetVolume = 0x10;  // volume column: 0x10 + volume
const u8 kFxArpeggio = 0x0, kFxPortaUp = 0x1, kFxPorta = 0x3, kFxVibrato = 0x4, kFxPanning = 0x8, kFxVolumeSlide = 0xA,
         kFxGlobalVolume = 0x10;
const u8 kPanLeft = 0x50, kPanCentre = 0x80, kPanRight = 0xB0;

enum Channel : u32 {
  KICK,
  SNARE,
  HAT,
  BASS,
  PAD,
  PAD2,
  PAD3,
  ARP,
  COUNTER,
  PERC,
  STAB,
  LEAD,
  ECHO,
  BELL_A,
  BELL_B,
  FX,
  kChannels
};
enum Instrument : u8 {
  I_KICK = 1,
  I_SNARE,
  I_CLAP,
  I_HAT,
  I_OPEN_HAT,
  I_CRASH,
  I_TOM,
  I_BASS,
  I_REESE,
  I_PAD,
  I_PLUCK,
  I_LEAD,
  I_BELL,
  I_RISER,
  I_FLUTE
};

// A chord: the bass root and three pad voices, e.g. "a1 e4 a4 c5".
struct Chord {
  u8 bass, voice[3];
};
typedef const char* Progression[kBars];

// Notes written as "c4", "c#4" ... "b7"; C-4 is 49.
u8 Note(const char* s, size_t* used) {
  static const i32 kSemitone[7] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
  size_t i = 0;
  i32 n = kSemitone[s[i++] - 'a'];
  if (s[i] == '#') n++, i++;
  n += (s[i++] - '0') * 12 + 1;
  if (used) *used = i;
  return u8(n);
}

Chord Parse_Chord(const char* s) {
  Chord c;
  size_t used = 0;
  c.bass = Note(s, &used);
  for (u32 v = 0; v < 3; v++) {
    s += used + 1;
    c.voice[v] = Note(s, &used);
  }
  return c;
}

// The arpeggio parameter that plays the chord's three pad voices from its lowest.
u8 Arpeggio(const Chord& c) { return u8((c.voice[1] - c.voice[0]) << 4 | (c.voice[2] - c.voice[0])); }

XmSong song;
u32 pattern = 0;

XmWriterCell& Cell(u32 row, u32 channel) { return XmWriter_Cell(&song, pattern, row, channel); }
void Put(u32 row, u32 channel, u8 note, u8 instrument, u8 volume) {
  XmWriterCell& c = Cell(row, channel);
  c.note = note;
  c.instrument = note == kKeyOff ? 0 : instrument;
  c.volume = volume ? u8(kSetVolume + volume) : 0;
}
void Effect(u32 row, u32 channel, u8 effect, u8 parameter) {
  XmWriterCell& c = Cell(row, channel);
  c.effect = effect;
  c.parameter = parameter;
}
u8 Shift(u8 note, i32 semitones) { return u8(i32(note) + semitones); }

// A line of notes, one token every step rows: a note, "-" to hold it, "^" to release it, "." for
// nothing; "~" before a note glides to it. Held notes of three steps or more get vibrato, and an
// echo channel (when given) repeats the line three rows later, quieter and on the right.
void Line(const char* text, u32 channel, u8 instrument, u8 volume, u32 step, i32 transpose, u32 echo = 0) {
  const u32 kEchoDelay = 3;
  struct Token {
    u32 row;
    u8 note;
    bool glide;
  };
  std::vector<Token> tokens;
  u32 row = 0;
  for (const char* s = text; *s && row < kRows;) {
    if (*s == ' ' || *s == '|') {
      s++;
      continue;
    }
    Token t = {row, 0, false};
    if (*s == '~') t.glide = true, s++;
    if (*s == '^')
      t.note = kKeyOff, s++;
    else if (*s == '-' || *s == '.')
      s++;
    else {
      size_t used = 0;
      t.note = Shift(Note(s, &used), transpose);
      s += used;
    }
    tokens.push_back(t);
    row += step;
  }
  for (size_t i = 0; i < tokens.size(); i++) {
    const Token& t = tokens[i];
    if (!t.note) continue;
    if (t.note == kKeyOff) {
      Put(t.row, channel, kKeyOff, 0, 0);
      if (echo && t.row + kEchoDelay < kRows) Put(t.row + kEchoDelay, echo, kKeyOff, 0, 0);
      continue;
    }
    Put(t.row, channel, t.note, instrument, volume);
    if (t.glide) {
      Cell(t.row, channel).instrument = 0;
      Effect(t.row, channel, kFxPorta, 0x40);
    }
    u32 held = 1;
    while (i + held < tokens.size() && !tokens[i + held].note) held++;
    if (held >= 3 && step >= 2 && instrument != I_BELL)
      for (u32 r = t.row + step * 2; r < t.row + step * held && r < kRows; r++)
        if (!Cell(r, channel).effect) Effect(r, channel, kFxVibrato, r == t.row + step * 2 ? 0x54 : 0);
    if (echo && t.row + kEchoDelay < kRows) {
      Put(t.row + kEchoDelay, echo, t.note, instrument, volume * 2 / 5);
      Effect(t.row + kEchoDelay, echo, kFxPanning, kPanRight);
    }
  }
}

// Drum bars: one character a row, "x" loud, "o" medium, "g" ghost on the main sound, "X" and
// "O" on the other (open hat, clap).
struct DrumBar {
  const char* kick;
  const char* snare;
  const char* hat;
};
void Drum_Row(const char* bar, u32 row, u32 channel, u8 main, u8 other) {
  static const struct {
    char c;
    bool other;
    u8 volume;
  } kHits[] = {{'x', false, 64}, {'o', false, 40}, {'g', false, 20}, {'X', true, 56}, {'O', true, 34}};
  if (!*bar) return;
  const char c = bar[row % kBarRows];
  for (const auto& h : kHits)
    if (h.c == c) Put(row, channel, kC4, h.other ? other : main, h.volume);
}
void Drums(const DrumBar& d, u32 from_row, u32 to_row) {
  for (u32 r = from_row; r < to_row; r++) {
    Drum_Row(d.kick, r, KICK, I_KICK, I_KICK);
    Drum_Row(d.snare, r, SNARE, I_SNARE, I_CLAP);
    Drum_Row(d.hat, r, HAT, I_HAT, I_OPEN_HAT);
  }
}

// A snare roll from row to the pattern's end, every step rows, growing from quiet to loud.
void Roll(u32 from, u32 step, u8 quiet, u8 loud) {
  for (u32 r = from; r < kRows; r += step)
    Put(r, SNARE, kC4, I_SNARE, u8(quiet + (loud - quiet) * (r - from) / (kRows - from)));
}
// Toms falling over the bar's last three beats, the hats silent under them.
void Tom_Fill(void) {
  static const struct {
    u32 row;
    const char* note;
  } kToms[] = {{52, "g4"}, {54, "e4"}, {56, "c4"}, {58, "a3"}, {60, "f3"}, {61, "f3"}, {62, "d3"}, {63, "d3"}};
  for (const auto& t : kToms) Put(t.row, PERC, Note(t.note, nullptr), I_TOM, 50);
  for (u32 r = kToms[0].row; r < kRows; r++) Cell(r, HAT) = XmWriterCell();
}
// Noise rising in pitch and level over the last two bars.
void Riser(void) {
  const u32 from = kRows - 2 * kBarRows;
  Put(from, FX, Note("c3", nullptr), I_RISER, 4);
  for (u32 r = from; r < kRows; r++) {
    Effect(r, FX, kFxPortaUp, 0x03);
    if (r > from && (r - from) % 2 == 0) Cell(r, FX).volume = u8(kSetVolume + 4 + (r - from) * 44 / (2 * kBarRows));
  }
}

enum BassStyle : u8 { B_NONE, B_LONG, B_PULSE, B_DRIVE, B_GALLOP, B_GANG, B_HALF };
// One character a row: "0" the root, "c" an octave up, "7" a fifth up.
const char* const kBassBars[] = {"",
                                 "0...............",
                                 "0.0.0.0.0.0.0.0.",
                                 "0.c.0.c.0.c.0.c.",
                                 ".0c0.0c0.0c0.0c0",
                                 "0..0..c.0..7..c.",
                                 "0.........0....."};
enum ArpStyle : u8 { A_NONE, A_EIGHTH, A_UP, A_HIGH, A_CHIP };

struct OrderPlan {
  const Progression* chords;
  i8 transpose;
  const DrumBar* drums;
  BassStyle bass;
  u8 pad_volume;
  ArpStyle arp;
  const char* lead;  // on the lead channel, eighth notes unless slow
  const char* counter;
  u16 flags;
};
enum Flag : u16 {
  CRASH = 1,
  FILL_SNARE = 2,
  FILL_TOM = 4,
  ROLL = 8,
  RISER = 16,
  SWELL = 32,
  STUTTER = 64,
  BELLS = 128,
  FADE = 256,
  SLOW = 512,
  MOTIF = 1024,
  REESE = 2048,
  SILENCE = 4096,
  CHIME = 8192,
  STABS = 16384
};

const Progression kIntro = {"a1 e4 a4 c5", "f1 e4 a4 c5", "d2 f4 a4 d5", "e2 e4 g#4 b4"};
const Progression kDriveA = {"a1 e4 a4 c5", "f1 f4 a4 c5", "c2 e4 g4 c5", "g1 d4 g4 b4"};
const Progression kDriveB = {"d2 d4 f4 a4", "f1 c4 f4 a4", "g1 d4 g4 b4", "e2 e4 g#4 b4"};
const Progression kBreak = {"f1 e4 a4 c5", "f1 e4 a4 c5", "g1 d4 g4 a#4", "a1 c#4 e4 a4"};
const Progression kGangA = {"d2 d4 f4 a4", "a#1 d4 f4 a#4", "g1 d4 g4 a#4", "a1 c#4 e4 a4"};
const Progression kGangB = {"d2 d4 f4 a4", "c2 c4 e4 g4", "a#1 d4 f4 a#4", "a1 c#4 e4 a4"};
const Progression kTermA = {"a1 e4 b4 c5", "a1 e4 b4 c5", "a1 d4 f4 a#4", "a1 d4 f4 a#4"};
const Progression kTermB = {"f1 e4 a4 c5", "f1 e4 a4 c5", "e2 e4 g#4 b4", "e2 d4 g#4 b4"};
const Progression kClimaxEnd = {"a1 e4 a4 c5", "f1 f4 a4 c5", "g1 d4 g4 b4", "g1 d4 g4 b4"};
const Progression kCredits = {"f1 e4 a4 c5", "g1 d4 g4 b4", "e2 d4 g4 b4", "a1 c4 e4 g4"};
const Progression kLast = {"a1 c4 e4 g4", "a1 c4 e4 g4", "a1 c4 e4 g4", "a1 c4 e4 g4"};

const DrumBar kNoDrums = {"", "", ""};
const DrumBar kIntroDrums = {"o.......o.......", "", "..g...g...g...g."};
const DrumBar kIntroDrums2 = {"x...x...x...x...", "....o.......o...", "..o...o...o...o."};
const DrumBar kDrive = {"x...x...x...x...", "....x.......x...", "xgOgxgOgxgOgxgOg"};
const DrumBar kDrive2 = {"x...x...x...x.o.", "....x..g....X..g", "xgOgxgOgxgOgxgOg"};
const DrumBar kGang = {"x.....x.x.......", "....x..g....x..g", "x.g.x.g.x.g.xgO."};
const DrumBar kGang4 = {"x...x...x...x...", "....x..g....X..g", "xgOgxgOgxgOgxgOg"};
const DrumBar kTerm = {"", "", "..g...g...g...g."};
const DrumBar kTerm2 = {"x.......o.......", "", "..g...g...g...gg"};
const DrumBar kCreditsSoft = {"o...............", "", "..g...g...g...g."};
const DrumBar kCreditsDrums = {"x.........o.....", "........x.......", "..o...o...o...o."};

// The lead lines, eighth notes (slow ones quarter notes), four bars each.
const char* const kThemeA1 = "e5 - - d5 e5 - a5 - | g5 - f5 - e5 - c5 - | d5 - - c5 d5 - e5 - | b4 - - - g4 - - .";
const char* const kThemeA2 = "e5 - - d5 e5 - a5 - | c6 - b5 - a5 - g5 - | a5 - g5 - e5 - g5 - | b5 - - - d6 - b5 -";
const char* const kThemeB1 = "f5 - e5 - d5 - a4 - | c5 - - d5 c5 - a4 - | b4 - - c5 d5 - g5 - | g#5 - - - e5 - - .";
const char* const kThemeB2 = "a5 - - g5 f5 - e5 - | f5 - g5 - a5 - c6 - | b5 - - a5 g5 - d5 - | e5 - - - - - ^ .";
const char* const kGang1 = "d5 - - f5 - - ~a5 - | a#5 - a5 - f5 - d5 - | g5 - - a#5 - - a5 g5 | e5 - - - c#5 - e5 -";
const char* const kGang2 = "a5 - - g5 f5 - e5 f5 | e5 - - d5 c5 - g4 - | f5 - - e5 d5 - a#4 d5 | c#5 - - - a4 - - .";
const char* const kGang3 = "d6 - - c6 a5 - f5 - | g5 - - f5 e5 - c5 - | d5 - f5 - a#5 - ~a5 - | a5 - - - ^ . . .";
const char* const kMotif = "a4 . e5 . a5 . b5 . | c6 . a5 . f5 . e5 . | f5 . a5 . d5 . a5 . | g#5 . e5 . b4 . e5 .";
const char* const kTermLine1 = "e5 - - d5 | c5 - - - | d5 - - f5 | e5 - - -";
const char* const kTermLine2 = "c5 - - e5 | a5 - - - | b5 - - - | g#5 - - ^";
const char* const kCredits1 = "a4 - c5 e5 | d5 - - b4 | g4 - b4 d5 | c5 - - -";
const char* const kCredits2 = "a4 - c5 e5 | g5 - f5 e5 | d5 - e5 b4 | a4 - - -";
const char* const kCredits3 = "e5 - - c5 | d5 - b4 g4 | b4 - - d5 | e5 - - -";
const char* const kCreditsEnd = "c5 - - - | - - - - | - - - - | ^ . . .";

// Counter lines, quarter notes, on the flute.
const char* const kCounterA = "c5 - - b4 | a4 - - - | g4 - - e5 | d5 - - -";
const char* const kCounterB = "a4 - - - | c5 - - - | d5 - - - | b4 - - -";
const char* const kCounterG = "a4 - - - | a#4 - - - | a#4 - - - | a4 - - -";
// A chime over the blank opening, on the counter channel's bell.
const char* const kChime = "e6 - b5 - | c6 - - a5 | d6 - a5 - | b5 - g#5 -";
const char* const kCounterBreak = "c5 - - - | a4 - - - | a#4 - - - | c#5 - - -";
const char* const kCounterC = "c5 - - - | b4 - - - | b4 - - - | c5 - - -";
// Bells answering each other on two channels, a beat apart.
const char* const kBellLine = "c6 e6 a5 e6 | c6 f6 a5 f6 | c6 e6 g5 e6 | b5 d6 g5 d6";

#define PLAN(prog, tr, drums, bass, pad, arp, lead, counter, flags) \
  { &prog, tr, &drums, bass, pad, arp, lead, counter, u16(flags) }
const OrderPlan kPlan[kOrders] = {
    PLAN(kIntro, 0, kNoDrums, B_NONE, 36, A_NONE, nullptr, nullptr, SWELL),
    PLAN(kIntro, 0, kNoDrums, B_LONG, 40, A_NONE, nullptr, kChime, CHIME),
    PLAN(kIntro, 0, kIntroDrums, B_LONG, 40, A_EIGHTH, nullptr, nullptr, 0),
    PLAN(kIntro, 0, kIntroDrums, B_LONG, 40, A_EIGHTH, nullptr, nullptr, 0),
    PLAN(kIntro, 0, kIntroDrums2, B_PULSE, 40, A_UP, nullptr, nullptr, CRASH),
    PLAN(kIntro, 0, kIntroDrums2, B_PULSE, 40, A_UP, kMotif, nullptr, MOTIF),
    PLAN(kIntro, 0, kIntroDrums2, B_PULSE, 40, A_UP, kMotif, kCounterA, MOTIF),
    PLAN(kIntro, 0, kIntroDrums2, B_PULSE, 40, A_UP, nullptr, nullptr, ROLL | RISER),
    PLAN(kDriveA, 0, kDrive, B_DRIVE, 40, A_UP, nullptr, nullptr, CRASH),
    PLAN(kDriveA, 0, kDrive, B_DRIVE, 40, A_UP, nullptr, kCounterA, FILL_SNARE),
    PLAN(kDriveA, 0, kDrive, B_DRIVE, 40, A_UP, kThemeA1, nullptr, CRASH),
    PLAN(kDriveA, 0, kDrive, B_DRIVE, 40, A_UP, kThemeA2, nullptr, 0),
    PLAN(kDriveA, 0, kDrive, B_DRIVE, 40, A_UP, kThemeA1, kCounterA, 0),
    PLAN(kDriveA, 0, kDrive, B_DRIVE, 40, A_UP, kThemeA2, kCounterA, FILL_SNARE),
    PLAN(kDriveB, 0, kDrive2, B_GALLOP, 40, A_UP, kThemeB1, kCounterB, CRASH),
    PLAN(kDriveB, 0, kDrive2, B_GALLOP, 40, A_UP, kThemeB2, kCounterB, FILL_TOM),
    PLAN(kDriveA, 0, kDrive, B_DRIVE, 40, A_HIGH, kThemeA1, kCounterA, CRASH),
    PLAN(kDriveA, 0, kDrive, B_DRIVE, 40, A_HIGH, kThemeA2, kCounterA, 0),
    PLAN(kDriveB, 0, kDrive2, B_GALLOP, 40, A_HIGH, kThemeB1, kCounterB, 0),
    PLAN(kDriveB, 0, kDrive2, B_GALLOP, 40, A_HIGH, kThemeB2, kCounterB, FILL_TOM),
    PLAN(kDriveA, 0, kDrive, B_DRIVE, 40, A_CHIP, nullptr, nullptr, CRASH | STUTTER),
    PLAN(kBreak, 0, kNoDrums, B_LONG, 40, A_CHIP, nullptr, kCounterBreak, ROLL | RISER),
    PLAN(kGangA, 0, kGang, B_GANG, 30, A_NONE, nullptr, nullptr, CRASH | REESE),
    PLAN(kGangA, 0, kGang, B_GANG, 30, A_NONE, nullptr, kCounterG, REESE | FILL_SNARE),
    PLAN(kGangA, 0, kGang, B_GANG, 30, A_NONE, kGang1, nullptr, CRASH | REESE),
    PLAN(kGangB, 0, kGang, B_GANG, 30, A_EIGHTH, kGang2, nullptr, REESE),
    PLAN(kGangB, 0, kGang, B_GANG, 30, A_EIGHTH, kGang3, kCounterG, REESE | FILL_SNARE),
    PLAN(kGangA, 0, kGang, B_GANG, 30, A_UP, kGang1, kCounterG, CRASH | REESE),
    PLAN(kGangB, 0, kGang4, B_GANG, 30, A_UP, kGang3, kCounterG, CRASH | REESE),
    PLAN(kGangB, 0, kGang4, B_GANG, 30, A_HIGH, kGang2, kCounterG, REESE | FILL_TOM),
    PLAN(kGangA, 0, kGang, B_GANG, 30, A_NONE, nullptr, kCounterG, CRASH | REESE),
    PLAN(kGangB, 0, kGang, B_GANG, 30, A_EIGHTH, nullptr, nullptr, REESE | ROLL | RISER),
    PLAN(kTermA, 0, kNoDrums, B_LONG, 40, A_CHIP, nullptr, nullptr, CRASH),
    PLAN(kTermB, 0, kTerm, B_LONG, 40, A_CHIP, nullptr, nullptr, 0),
    PLAN(kTermA, 0, kTerm2, B_LONG, 40, A_CHIP, kTermLine1, nullptr, SLOW),
    PLAN(kTermB, 0, kTerm2, B_PULSE, 40, A_CHIP, kTermLine2, nullptr, SLOW | ROLL | RISER),
    PLAN(kDriveA, 0, kDrive, B_DRIVE, 40, A_UP, kThemeA1, nullptr, CRASH | BELLS),
    PLAN(kDriveA, 0, kDrive, B_DRIVE, 40, A_UP, kThemeA2, nullptr, BELLS | FILL_SNARE),
    PLAN(kDriveA, 2, kDrive, B_GALLOP, 40, A_HIGH, kThemeA1, kCounterA, CRASH | STABS),
    PLAN(kDriveA, 2, kDrive, B_GALLOP, 40, A_HIGH, kThemeA2, kCounterA, STABS),
    PLAN(kDriveB, 2, kDrive2, B_GALLOP, 40, A_HIGH, kThemeB1, kCounterB, CRASH | STABS),
    PLAN(kDriveA, 2, kDrive, B_DRIVE, 40, A_HIGH, kThemeA1, kCounterA, CRASH | STABS),
    PLAN(kDriveB, 2, kDrive2, B_GALLOP, 40, A_HIGH, kThemeB2, kCounterB, FILL_TOM | STABS),
    PLAN(kClimaxEnd, 2, kDrive, B_DRIVE, 40, A_CHIP, nullptr, nullptr, CRASH | ROLL | RISER),
    PLAN(kCredits, 2, kCreditsSoft, B_LONG, 40, A_EIGHTH, kCredits1, nullptr, CRASH | SLOW),
    PLAN(kCredits, 2, kCreditsDrums, B_HALF, 40, A_EIGHTH, kCredits2, kCounterC, SLOW),
    PLAN(kCredits, 2, kCreditsDrums, B_HALF, 40, A_UP, kCredits3, kCounterC, SLOW),
    PLAN(kCredits, 2, kCreditsDrums, B_HALF, 40, A_UP, kCredits1, kCounterC, SLOW),
    PLAN(kCredits, 2, kCreditsDrums, B_HALF, 40, A_UP, kCredits2, kCounterC, SLOW),
    PLAN(kCredits, 2, kCreditsDrums, B_HALF, 40, A_EIGHTH, kCredits3, kCounterC, SLOW | FILL_SNARE),
    PLAN(kCredits, 2, kCreditsSoft, B_LONG, 40, A_EIGHTH, kCredits1, nullptr, SLOW),
    PLAN(kCredits, 2, kCreditsSoft, B_HALF, 40, A_EIGHTH, kCredits2, kCounterC, SLOW | FADE),
    PLAN(kCredits, 2, kNoDrums, B_LONG, 40, A_EIGHTH, kCredits3, nullptr, SLOW | FADE),
    PLAN(kLast, 2, kNoDrums, B_LONG, 40, A_NONE, kCreditsEnd, nullptr, SLOW | FADE),
    PLAN(kLast, 2, kNoDrums, B_NONE, 0, A_NONE, nullptr, nullptr, SILENCE),
};
#undef PLAN

void Bass(const OrderPlan& plan, const Chord* chords) {
  const char* bar = kBassBars[plan.bass];
  if (!*bar) return;
  const u8 instrument = plan.flags & REESE ? I_REESE : I_BASS;
  for (u32 r = 0; r < kRows; r++) {
    const char c = bar[r % kBarRows];
    if (c == '.') continue;
    const u8 root = Shift(chords[r / kBarRows].bass, plan.transpose);
    const u8 note = Shift(root, c == 'c' ? 12 : c == '7' ? 7 : 0);
    Put(r, BASS, note, instrument, c == '0' ? 38 : 32);
  }
}

void Pads(const OrderPlan& plan, const Chord* chords) {
  static const u8 kPan[3] = {kPanLeft, kPanCentre, kPanRight};
  if (!plan.pad_volume) return;
  for (u32 bar = 0; bar < kBars; bar++) {
    if (bar > 0 && !memcmp(&chords[bar], &chords[bar - 1], sizeof(Chord))) continue;
    for (u32 v = 0; v < 3; v++) {
      const u32 r = bar * kBarRows;
      Put(r, PAD + v, Shift(chords[bar].voice[v], plan.transpose), I_PAD,
          plan.flags & SWELL ? u8(12 + bar * 8) : plan.pad_volume);
      Effect(r, PAD + v, kFxPanning, kPan[v]);
    }
  }
  // A slow swell: each bar starts louder and slides up on its second and third beats.
  if (plan.flags & SWELL)
    for (u32 r = 0; r < kRows; r++)
      for (u32 v = 0; v < 3; v++)
        if (r % kBarRows == 4 || r % kBarRows == 8) Effect(r, PAD + v, kFxVolumeSlide, 0x10);
}

void Arp(const OrderPlan& plan, const Chord* chords) {
  static const u8 kUp[kBarRows] = {0, 1, 2, 3, 4, 3, 2, 1, 0, 1, 2, 3, 4, 3, 2, 3};
  static const char kChipRows[] = "x..x..x...x.x...";
  for (u32 r = 0; r < kRows; r++) {
    const Chord& c = chords[r / kBarRows];
    const u8 tones[5] = {c.voice[0], c.voice[1], c.voice[2], Shift(c.voice[0], 12), Shift(c.voice[1], 12)};
    const i32 up = plan.transpose + 12;
    switch (plan.arp) {
      case A_EIGHTH:
        if (r % 2 == 0) Put(r, ARP, Shift(tones[kUp[(r / 2) % kBarRows]], up), I_PLUCK, r % 4 ? 16 : 24);
        break;
      case A_UP:
      case A_HIGH:
        Put(r, ARP, Shift(tones[kUp[r % kBarRows]], plan.arp == A_HIGH ? up + 12 : up), I_PLUCK, r % 4 ? 18 : 26);
        break;
      case A_CHIP:
        if (kChipRows[r % kBarRows] == 'x') {
          Put(r, ARP, Shift(tones[0], up), I_PLUCK, 32);
          Effect(r, ARP, kFxArpeggio, Arpeggio(c));
        } else if (kChipRows[(r + kBarRows - 1) % kBarRows] == 'x' || kChipRows[(r + kBarRows - 2) % kBarRows] == 'x') {
          Effect(r, ARP, kFxArpeggio, Arpeggio(c));
        }
        break;
      default:
        break;
    }
  }
}

// Eye and plasma alternate every four rows: the groove plays under the eye, the arpeggio and the
// clap under the plasma.
void Stutter(void) {
  const u32 kGroove[] = {KICK, HAT, BASS, PAD, PAD2, PAD3};
  for (u32 r = 0; r < kRows; r++) {
    const bool eye = (r / 4) % 2 == 0;
    for (u32 ch : kGroove)
      if (!eye) {
        const bool pad = ch >= PAD && ch <= PAD3;
        if (!pad) Cell(r, ch) = XmWriterCell();
        if (r % 4 == 0) Cell(r, ch).volume = kSetVolume;
      } else if (r % 4 == 0 && r > 0 && ch >= PAD && ch <= PAD3 && !Cell(r, ch).note) {
        Cell(r, ch).volume = kSetVolume + 36;
      }
    if (eye) Cell(r, ARP) = XmWriterCell();
    Cell(r, SNARE) = XmWriterCell();
    if (!eye && r % 4 == 0) Put(r, SNARE, kC4, I_CLAP, 48);
  }
}

// The pads duck under every kick and climb back within two rows, so the groove breathes.
void Pump(const OrderPlan& plan) {
  const u8 kDuck = 15, kSlideUp = 0x70;  // volume column: 0x70 + x slides up x a tick
  if (!plan.pad_volume) return;
  for (u32 r = 0; r + 2 < kRows; r++) {
    if (!Cell(r, KICK).note) continue;
    for (u32 v = PAD; v <= PAD3; v++) {
      Cell(r, v).volume = u8(kSetVolume + plan.pad_volume - kDuck);
      if (!Cell(r + 1, v).volume) Cell(r + 1, v).volume = kSlideUp + 2;
      if (!Cell(r + 2, v).volume) Cell(r + 2, v).volume = kSlideUp + 1;
    }
  }
}

// Chord stabs on the off-beats: the pluck running through the chord as an arpeggio.
void Stabs(const OrderPlan& plan, const Chord* chords) {
  for (u32 r = 2; r < kRows; r += 4) {
    const Chord& c = chords[r / kBarRows];
    Put(r, STAB, Shift(c.voice[0], plan.transpose + 12), I_PLUCK, r % 8 == 2 ? 14 : 20);
    Effect(r, STAB, kFxArpeggio, Arpeggio(c));
    Effect(r + 1, STAB, kFxArpeggio, Arpeggio(c));
  }
}

void Bells(const OrderPlan& plan) {
  const u32 kBeat = 4;
  std::vector<u8> notes;
  for (const char* s = kBellLine; *s;) {
    if (*s == ' ' || *s == '|') {
      s++;
      continue;
    }
    size_t used = 0;
    notes.push_back(Shift(Note(s, &used), plan.transpose));
    s += used;
  }
  for (u32 i = 0; i < notes.size(); i++) Put(i * kBeat, i % 2 ? BELL_B : BELL_A, notes[i], I_BELL, i % 2 ? 36 : 44);
  for (u32 i = 0; i < notes.size(); i++) Effect(i * kBeat, i % 2 ? BELL_B : BELL_A, kFxPanning, i % 2 ? 0xD0 : 0x30);
}

void Compose_Order(u32 order) {
  const OrderPlan& plan = kPlan[order];
  Chord chords[kBars];
  for (u32 b = 0; b < kBars; b++) chords[b] = Parse_Chord((*plan.chords)[b]);
  if (plan.flags & SILENCE) {
    for (u32 ch = 0; ch < kChannels; ch++)
      if (ch != BELL_A && ch != BELL_B) Put(0, ch, kKeyOff, 0, 0);
    return;
  }
  const u32 fill_from = plan.flags & ROLL         ? kRows - 2 * kBarRows
                        : plan.flags & FILL_TOM   ? kRows - kBarRows
                        : plan.flags & FILL_SNARE ? kRows - kBarRows / 2
                                                  : kRows;
  Drums(*plan.drums, 0, fill_from);
  Drums({plan.drums->kick, "", plan.flags & ROLL ? "" : plan.drums->hat}, fill_from, kRows);
  if (plan.flags & FILL_SNARE) Roll(fill_from, 1, 16, 44);
  if (plan.flags & FILL_TOM) {
    Put(fill_from, SNARE, kC4, I_SNARE, 48);
    Put(fill_from + 2, SNARE, kC4, I_SNARE, 24);
    Tom_Fill();
  }
  if (plan.flags & ROLL) {
    Roll(fill_from, 2, 12, 28);
    Roll(kRows - kBarRows, 1, 28, 56);
  }
  if (plan.flags & CRASH) Put(0, FX, kC4, I_CRASH, 40);
  if (plan.flags & RISER) Riser();
  Bass(plan, chords);
  Pads(plan, chords);
  Arp(plan, chords);
  const u32 lead_step = plan.flags & SLOW ? 4 : 2;
  if (plan.lead) {
    const bool motif = plan.flags & MOTIF;
    const u8 instrument = motif ? I_PLUCK : plan.flags & SLOW ? I_FLUTE : I_LEAD;
    Line(plan.lead, LEAD, instrument, motif ? 40 : 50, lead_step, plan.transpose, ECHO);
  }
  if (plan.counter)
    Line(plan.counter, COUNTER, plan.flags & CHIME ? I_BELL : I_FLUTE, plan.flags & CHIME ? 30 : 22, 4,
         plan.transpose - (plan.flags & SLOW ? 12 : 0));
  if (plan.flags & (REESE | STABS)) Stabs(plan, chords);
  if (plan.drums == &kDrive || plan.drums == &kDrive2) Pump(plan);
  // Parts this order leaves out stop where it starts.
  const struct {
    u32 first, last;
    bool absent;
  } kParts[] = {{BASS, BASS, plan.bass == B_NONE}, {PAD, PAD3, !plan.pad_volume},
                {ARP, ARP, plan.arp == A_NONE},    {COUNTER, COUNTER, !plan.counter},
                {LEAD, ECHO, !plan.lead},          {STAB, STAB, !(plan.flags & (REESE | STABS))}};
  for (const auto& part : kParts)
    for (u32 ch = part.first; ch <= part.last && part.absent; ch++)
      if (!Cell(0, ch).note) Put(0, ch, kKeyOff, 0, 0);
  if (plan.flags & STUTTER) Stutter();
  if (plan.flags & BELLS) Bells(plan);
  // A fade over the whole stretch: the global volume steps down every third row.
  if (plan.flags & FADE) {
    u32 first = order;
    while (first > 0 && (kPlan[first - 1].flags & FADE)) first--;
    u32 count = 0;
    for (u32 o = first; o < kOrders && (kPlan[o].flags & FADE); o++) count++;
    for (u32 r = 0; r < kRows; r += 3) {
      const u32 at = (order - first) * kRows + r;
      Effect(r, FX, kFxGlobalVolume, u8(64 - 64 * at / (count * kRows)));
    }
  }
}

XmWriterInstrument Instrument(const char* name, const XmWriterSample& sample, std::vector<std::pair<u16, u16>> envelope,
                              i32 sustain, u16 fadeout) {
  XmWriterInstrument in;
  in.name = name;
  in.samples.push_back(sample);
  in.volume_envelope.points = envelope;
  if (!envelope.empty()) in.volume_envelope.type = 1;
  if (sustain >= 0) {
    in.volume_envelope.type |= 2;
    in.volume_envelope.sustain = u8(sustain);
  }
  in.fadeout = fadeout;
  return in;
}

XmWriterSample Looped(const char* name, const std::vector<i64>& values, i32 peak, i8 relative_note) {
  XmWriterSample s = Synth_Sample(name, values, peak);
  s.loop_type = 1;
  s.loop_length = u32(s.data.size());
  s.relative_note = relative_note;
  return s;
}
XmWriterSample Hit(const char* name, const std::vector<i64>& values, i32 peak, i8 relative_note) {
  XmWriterSample s = Synth_Sample(name, values, peak);
  s.relative_note = relative_note;
  return s;
}

// Drums, in instrument order: each a synthesised hit at 16726 or 33452 values a second played at C-4.
struct DrumVoice {
  const char* name;
  SynthDrum drum;
  i32 peak;
  i8 relative_note;
  u8 panning;
  u32 bursts;  // a clap's short bursts of noise before its tail
};
const u32 kRate12 = kSynthBaseRate * 2, kRate24 = kSynthBaseRate * 4;
const DrumVoice kDrums[] = {
    {"kick", {kRate12, 6000, 170, 46, 1400, 6000, 2, 100, 500, 3, 30, 30000, 0}, 30000, 12, 128, 0},
    {"snare", {kRate24, 10000, 240, 175, 1200, 5000, 2, 80, 10000, 2, 100, 40000, 12000}, 28000, 24, 128, 0},
    {"clap", {kRate24, 8000, 0, 0, 1, 1, 1, 0, 8000, 5, 100, 30000, 20000}, 26000, 24, 128, 3},
    {"hat", {kRate24, 2400, 0, 0, 1, 1, 1, 0, 2400, 4, 60, 65536, 40000, 60}, 26000, 24, 144, 0},
    {"open hat", {kRate24, 12000, 0, 0, 1, 1, 1, 0, 12000, 2, 60, 65536, 40000, 60}, 22000, 24, 144, 0},
    {"crash", {kRate24, 40000, 0, 0, 1, 1, 1, 0, 40000, 2, 70, 60000, 30000, 50}, 20000, 24, 160, 0},
    {"tom", {kRate12, 6000, 260, 150, 2500, 6000, 2, 100, 800, 3, 15, 20000, 0}, 26000, 12, 128, 0},
};

// Tonal instruments, in instrument order after the drums: a looped wave with its period chosen so
// each note sounds at its own pitch, a volume envelope (sustain point or -1) and a fade-out.
struct ToneVoice {
  const char* name;
  u32 length;
  std::vector<SynthLayer> layers;
  i32 peak;
  i8 relative_note;
  std::vector<std::pair<u16, u16>> envelope;
  i32 sustain;
  u16 fadeout;
  u8 vibrato_sweep, vibrato_depth, vibrato_rate;
};

void Instruments(void) {
  std::vector<XmWriterInstrument>& ins = song.instruments;
  for (const DrumVoice& d : kDrums) {
    std::vector<i64> values = Synth_Drum(d.drum);
    const u32 kBurst = 560;
    for (u32 t = 0; t < d.bursts * kBurst; t++)
      if (t % kBurst >= kBurst / 2) values[t] /= 8;
    XmWriterSample sample = Hit(d.name, values, d.peak, d.relative_note);
    sample.panning = d.panning;
    ins.push_back(Instrument(d.name, sample, {}, -1, 0));
  }
  const ToneVoice kTones[] = {
      // A dulled saw over a sine at its root, 128 values a cycle at 8363 (C-2).
      {"bass",
       128,
       {{1, 'w', 40, 100, 12}, {1, 's', 1, 60}},
       24000,
       24,
       {{0, 64}, {4, 52}, {14, 36}, {40, 28}},
       3,
       1600,
       0,
       0,
       0},
      // Three saws beating against each other about once a second at the bass's pitch.
      {"reese",
       8192,
       {{64, 'w', 40, 100, 10}, {65, 'w', 40, 80, 10}, {63, 'w', 40, 80, 10}, {64, 's', 1, 80}},
       24000,
       24,
       {{0, 64}, {10, 56}, {40, 44}},
       2,
       1200,
       0,
       0,
       0},
      // Three detuned saws and a triangle an octave above, a slow rise and a long release.
      {"pad",
       8192,
       {{128, 'w', 24, 100, 6}, {129, 'w', 24, 90, 6}, {127, 'w', 24, 90, 6}, {256, 't', 8, 40}},
       16000,
       12,
       {{0, 0}, {24, 50}, {60, 64}, {120, 56}},
       3,
       300,
       0,
       2,
       6},
      {"pluck",
       64,
       {{2, 'q', 14, 100, 8}, {2, 'w', 14, 40, 8}},
       20000,
       0,
       {{0, 64}, {3, 40}, {10, 16}, {24, 4}, {40, 0}},
       -1,
       0,
       0,
       0,
       0},
      // Two saws a beat apart over a square: the lead.
      {"lead",
       4096,
       {{128, 'w', 15, 100, 10}, {129, 'w', 15, 80, 10}, {128, 'q', 15, 50, 6}},
       20000,
       0,
       {{0, 48}, {2, 64}, {12, 50}, {40, 44}},
       3,
       1400,
       0,
       0,
       0},
  };
  for (const ToneVoice& t : kTones) {
    XmWriterInstrument in = Instrument(t.name, Looped(t.name, Synth_Wave(t.length, t.layers), t.peak, t.relative_note),
                                       t.envelope, t.sustain, t.fadeout);
    in.vibrato_sweep = t.vibrato_sweep;
    in.vibrato_depth = t.vibrato_depth;
    in.vibrato_rate = t.vibrato_rate;
    ins.push_back(in);
  }
  // The pads drift slowly between left and right.
  XmWriterEnvelope& drift = ins[I_PAD - 1].panning_envelope;
  drift.points = {{0, 32}, {64, 22}, {192, 42}, {256, 32}};
  drift.type = 1 | 4;
  drift.loop_end = 3;
  // The bell's fundamental is C-6 at 33452 values a second, thirty-two values a cycle.
  const std::vector<SynthPartial> kBell = {
      {65536, 100, 40000}, {131072, 30, 20000}, {180880, 50, 14000}, {353894, 25, 8000}, {585236, 12, 4000}};
  ins.push_back(Instrument("bell", Hit("bell", Synth_Bell(40000, 32, kBell), 22000, 0), {}, -1, 0));
  ins.push_back(Instrument("riser", Looped("riser", Synth_Noise_Loop(16384, 20000), 16000, 12), {}, -1, 0));
  XmWriterInstrument flute =
      Instrument("flute", Looped("flute", Synth_Wave(32, {{1, 't', 8, 100}, {1, 's', 1, 60}}), 20000, 0),
                 {{0, 0}, {6, 56}, {20, 48}}, 2, 900);
  flute.vibrato_sweep = 40;
  flute.vibrato_depth = 5;
  flute.vibrato_rate = 20;
  ins.push_back(flute);
}

// Orders that came out note for note the same share one pattern.
void Share_Patterns(void) {
  std::vector<XmWriterPattern> unique;
  for (u8& order : song.orders) {
    const XmWriterPattern& p = song.patterns[order];
    u8 found = u8(unique.size());
    for (size_t u = 0; u < unique.size(); u++)
      if (!memcmp(unique[u].cells.data(), p.cells.data(), p.cells.size() * sizeof(XmWriterCell))) found = u8(u);
    if (found == unique.size()) unique.push_back(p);
    order = found;
  }
  song.patterns = unique;
}
}  // namespace

bool Assets_Write_Music(const std::string& dir) {
  song = XmSong();
  song.name = "Velmoran";
  song.channels = kChannels;
  song.restart = kOrders - 1;
  song.speed = 6;
  song.bpm = 125;
  Instruments();
  for (u32 order = 0; order < kOrders; order++) {
    pattern = XmWriter_Add_Pattern(&song, kRows);
    Compose_Order(order);
    song.orders.push_back(u8(pattern));
  }
  Share_Patterns();
  return XmWriter_Save(dir + "/velmoran.xm", song);
}
