// LZARI encoder: longest-match search over hash chains, arithmetic coding of characters, lengths and positions.
#include "lzari_encoder.h"

#include <cstring>

namespace {
const u32 kRing = 4096;
const u32 kLookAhead = 60;
const u32 kThreshold = 2;
const u32 kChars = 256 - kThreshold + kLookAhead;
const u32 kMaxCum = 32767;
const u32 kQ1 = 32768, kQ2 = 65536, kQ3 = 98304, kQ4 = 131072;
const u32 kStart = kRing - kLookAhead;  // the decoder's ring holds blanks before this position
const u32 kMaxDistance = kRing - kLookAhead;
const u32 kHashBits = 15;
const u32 kMaxChain = 1024;

class Encoder {
 public:
  std::vector<u8> out;

  Encoder() {
    cum_[kChars] = 0;
    for (u32 s = kChars; s >= 1; s--) {
      char_to_sym_[s - 1] = s;
      sym_to_char_[s] = s - 1;
      freq_[s] = 1;
      cum_[s - 1] = cum_[s] + 1;
    }
    freq_[0] = 0;
    pos_cum_[kRing] = 0;
    for (u32 i = kRing; i >= 1; i--) pos_cum_[i - 1] = pos_cum_[i] + 10000 / (i + 200);
  }

  void Char(u32 c) {
    u32 s = char_to_sym_[c];
    Narrow(cum_[s - 1], cum_[s], cum_[0]);
    Update(s);
  }

  void Position(u32 p) { Narrow(pos_cum_[p], pos_cum_[p + 1], pos_cum_[0]); }

  void Finish() {
    pending_++;
    Emit(low_ < kQ1 ? 0 : 1);
    while (bit_count_ != 0) Put(0);
  }

 private:
  u32 freq_[kChars + 1], cum_[kChars + 1], sym_to_char_[kChars + 1], char_to_sym_[kChars];
  u32 pos_cum_[kRing + 1];
  u32 low_ = 0, high_ = kQ4, pending_ = 0;
  u32 bits_ = 0, bit_count_ = 0;

  void Put(u32 bit) {
    bits_ = bits_ << 1 | bit;
    if (++bit_count_ == 8) {
      out.push_back(u8(bits_));
      bits_ = bit_count_ = 0;
    }
  }

  void Emit(u32 bit) {
    Put(bit);
    for (; pending_; pending_--) Put(bit ^ 1);
  }

  // Narrows the interval to [cum_low, cum_high) of total and shifts settled bits out.
  void Narrow(u32 cum_high, u32 cum_low, u32 total) {
    u32 range = high_ - low_;
    high_ = low_ + range * cum_high / total;
    low_ += range * cum_low / total;
    for (;;) {
      if (high_ <= kQ2) {
        Emit(0);
      } else if (low_ >= kQ2) {
        Emit(1);
        low_ -= kQ2;
        high_ -= kQ2;
      } else if (low_ >= kQ1 && high_ <= kQ3) {
        pending_++;
        low_ -= kQ1;
        high_ -= kQ1;
      } else {
        break;
      }
      low_ += low_;
      high_ += high_;
    }
  }

  void Update(u32 s) {
    if (cum_[0] >= kMaxCum) {
      u32 c = 0;
      for (u32 i = kChars; i > 0; i--) {
        cum_[i] = c;
        freq_[i] = (freq_[i] + 1) >> 1;
        c += freq_[i];
      }
      cum_[0] = c;
    }
    u32 i = s;
    while (freq_[i] == freq_[i - 1]) i--;
    if (i < s) {
      u32 ci = sym_to_char_[i], cs = sym_to_char_[s];
      sym_to_char_[i] = cs;
      sym_to_char_[s] = ci;
      char_to_sym_[ci] = s;
      char_to_sym_[cs] = i;
    }
    freq_[i]++;
    while (i > 0) cum_[--i]++;
  }
};

u32 Hash3(const u8* p) { return ((u32(p[0]) << 10) ^ (u32(p[1]) << 5) ^ p[2]) & ((1u << kHashBits) - 1); }
}  // namespace

std::vector<u8> Lzari_Encode(const u8* data, size_t size) {
  // The text the decoder sees: the ring's blanks, then the data. Index q sits at ring position q mod 4096.
  std::vector<u8> text(kStart + size);
  memset(text.data(), ' ', kStart);
  if (size) memcpy(text.data() + kStart, data, size);
  const size_t total = text.size();
  std::vector<i32> head(1u << kHashBits, -1), prev(total, -1);
  auto insert = [&](size_t q) {
    if (q + 3 > total) return;
    u32 h = Hash3(&text[q]);
    prev[q] = head[h];
    head[h] = i32(q);
  };
  for (size_t q = 0; q < kStart; q++) insert(q);

  Encoder enc;
  size_t q = kStart;
  while (q < total) {
    size_t limit = total - q < kLookAhead ? total - q : kLookAhead;
    size_t best = 0, best_distance = 0;
    if (limit > kThreshold) {
      u32 chain = 0;
      for (i32 c = head[Hash3(&text[q])]; c >= 0 && chain < kMaxChain; c = prev[c], chain++) {
        size_t distance = q - size_t(c);
        if (distance > kMaxDistance) break;
        size_t n = 0;
        while (n < limit && text[size_t(c) + n] == text[q + n]) n++;
        // Nearest first: a farther match replaces it only when strictly longer.
        if (n > best) {
          best = n;
          best_distance = distance;
          if (n == limit) break;
        }
      }
    }
    if (best > kThreshold) {
      enc.Char(u32(255 - kThreshold + best));
      enc.Position(u32(best_distance - 1));
    } else {
      best = 1;
      enc.Char(text[q]);
    }
    for (size_t k = 0; k < best; k++) insert(q + k);
    q += best;
  }
  enc.Finish();
  return enc.out;
}

std::vector<u8> Lzari_Pack(const std::vector<u8>& data) {
  std::vector<u8> image(4);
  for (int i = 0; i < 4; i++) image[i] = u8(data.size() >> (8 * i));
  std::vector<u8> stream = Lzari_Encode(data.data(), data.size());
  image.insert(image.end(), stream.begin(), stream.end());
  return image;
}
