// XM 1.04 module writer: header, packed patterns, instruments, delta-coded sample data.
#include "xm_writer.h"

#include <cmath>

#include "writer.h"

namespace {
void XmWriter_Pack_Cell(ByteWriter* w, const XmWriterCell& c) {
  u8 mask = 0x80;
  if (c.note) mask |= 0x01;
  if (c.instrument) mask |= 0x02;
  if (c.volume) mask |= 0x04;
  if (c.effect) mask |= 0x08;
  if (c.parameter) mask |= 0x10;
  if (mask == 0x9F && c.note < 0x80) {
    w->u8_(c.note);
    w->u8_(c.instrument);
    w->u8_(c.volume);
    w->u8_(c.effect);
    w->u8_(c.parameter);
    return;
  }
  w->u8_(mask);
  if (c.note) w->u8_(c.note);
  if (c.instrument) w->u8_(c.instrument);
  if (c.volume) w->u8_(c.volume);
  if (c.effect) w->u8_(c.effect);
  if (c.parameter) w->u8_(c.parameter);
}

void XmWriter_Envelope_Points(ByteWriter* w, const XmWriterEnvelope& e) {
  for (u32 i = 0; i < 12; i++) {
    w->u16_(i < e.points.size() ? e.points[i].first : 0);
    w->u16_(i < e.points.size() ? e.points[i].second : 0);
  }
}
}  // namespace

u32 XmWriter_Add_Pattern(XmSong* song, u32 rows) {
  XmWriterPattern p;
  p.rows = rows;
  p.cells.resize(size_t(rows) * song->channels);
  song->patterns.push_back(p);
  return u32(song->patterns.size() - 1);
}

XmWriterCell& XmWriter_Cell(XmSong* song, u32 pattern, u32 row, u32 channel) {
  return song->patterns[pattern].cells[size_t(row) * song->channels + channel];
}

std::vector<u8> XmWriter_Encode(const XmSong& song) {
  ByteWriter w;
  w.raw("Extended Module: ", 17);
  w.text(song.name.c_str(), 20);
  w.u8_(0x1A);
  w.text("Velmoran XM writer", 20);
  w.u16_(0x0104);
  w.u32_(276);
  w.u16_(u16(song.orders.size()));
  w.u16_(song.restart);
  w.u16_(song.channels);
  w.u16_(u16(song.patterns.size()));
  w.u16_(u16(song.instruments.size()));
  w.u16_(song.flags);
  w.u16_(song.speed);
  w.u16_(song.bpm);
  for (u32 i = 0; i < 256; i++) w.u8_(i < song.orders.size() ? song.orders[i] : 0);

  for (const XmWriterPattern& p : song.patterns) {
    ByteWriter packed;
    for (u32 i = 0; i < p.rows * song.channels; i++)
      XmWriter_Pack_Cell(&packed, i < p.cells.size() ? p.cells[i] : XmWriterCell());
    w.u32_(9);
    w.u8_(0);
    w.u16_(u16(p.rows));
    w.u16_(u16(packed.bytes.size()));
    w.raw(packed.bytes.data(), packed.bytes.size());
  }

  for (const XmWriterInstrument& in : song.instruments) {
    bool has_samples = !in.samples.empty();
    w.u32_(has_samples ? 263 : 29);
    w.text(in.name.c_str(), 22);
    w.u8_(0);
    w.u16_(u16(in.samples.size()));
    if (!has_samples) continue;
    w.u32_(40);
    w.raw(in.keymap, 96);
    XmWriter_Envelope_Points(&w, in.volume_envelope);
    XmWriter_Envelope_Points(&w, in.panning_envelope);
    w.u8_(u8(in.volume_envelope.points.size()));
    w.u8_(u8(in.panning_envelope.points.size()));
    w.u8_(in.volume_envelope.sustain);
    w.u8_(in.volume_envelope.loop_start);
    w.u8_(in.volume_envelope.loop_end);
    w.u8_(in.panning_envelope.sustain);
    w.u8_(in.panning_envelope.loop_start);
    w.u8_(in.panning_envelope.loop_end);
    w.u8_(in.volume_envelope.type);
    w.u8_(in.panning_envelope.type);
    w.u8_(in.vibrato_type);
    w.u8_(in.vibrato_sweep);
    w.u8_(in.vibrato_depth);
    w.u8_(in.vibrato_rate);
    w.u16_(in.fadeout);
    for (u32 i = 0; i < 22; i++) w.u8_(0);
    for (const XmWriterSample& s : in.samples) {
      u32 unit = s.sixteen_bit ? 2 : 1;
      w.u32_(u32(s.data.size()) * unit);
      w.u32_(s.loop_start * unit);
      w.u32_(s.loop_length * unit);
      w.u8_(s.volume);
      w.u8_(u8(s.finetune));
      w.u8_(u8((s.loop_type & 3) | (s.sixteen_bit ? 0x10 : 0)));
      w.u8_(s.panning);
      w.u8_(u8(s.relative_note));
      w.u8_(0);
      w.text(s.name.c_str(), 22);
    }
    for (const XmWriterSample& s : in.samples) {
      i16 previous = 0;
      for (i16 v : s.data) {
        if (s.sixteen_bit)
          w.u16_(u16(v - previous));
        else
          w.u8_(u8(v - previous));
        previous = v;
      }
    }
  }
  return w.bytes;
}

bool XmWriter_Save(const std::string& path, const XmSong& song) { return Write_File(path, XmWriter_Encode(song)); }

XmWriterSample XmWriter_Cycle(const char* name, u32 period, i16 amplitude, char shape) {
  XmWriterSample s;
  s.name = name;
  for (u32 i = 0; i < period; i++) {
    f64 t = f64(i) / period;
    f64 v;
    switch (shape) {
      case 'q': v = t < 0.5 ? 1 : -1; break;             // square
      case 'w': v = 2 * t - 1; break;                      // saw
      case 't': v = t < 0.5 ? 4 * t - 1 : 3 - 4 * t; break;  // triangle
      default: v = std::sin(2 * M_PI * t); break;          // sine
    }
    s.data.push_back(i16(std::lround(v * amplitude)));
  }
  s.loop_type = 1;
  s.loop_start = 0;
  s.loop_length = period;
  return s;
}
