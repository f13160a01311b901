// LZARI encoder: longest-match search over hash chains, arithmetic coding of characters, lengths and positions.
#include "lzari_encoder.h"

#include <cstring>

#include "runtime/lzh.h"

namespace {
const u32 kStart = kLzhRing - kLzhLookAhead;  // the decoder's ring holds blanks before this position
const u32 kMaxDistance = kLzhRing - kLzhLookAhead;
const u32 kHashBits = 15;
const u32 kMaxChain = 1024;

class Encoder {
 public:
  std::vector<u8> out;

  Encoder() { Lzh_Model_Start(&model_); }

  void Char(u32 c) {
    u32 s = model_.char_to_sym[c];
    Narrow(model_.cum[s - 1], model_.cum[s], model_.cum[0]);
    Lzh_Model_Update(&model_, s);
  }

  void Position(u32 p) { Narrow(model_.pos_cum[p], model_.pos_cum[p + 1], model_.pos_cum[0]); }

  void Finish() {
    pending_++;
    Emit(low_ < kLzhQ1 ? 0 : 1);
    while (bit_count_ != 0) Put(0);
  }

 private:
  LzhModel model_;
  u32 low_ = 0, high_ = kLzhQ4, pending_ = 0;
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
      if (high_ <= kLzhQ2) {
        Emit(0);
      } else if (low_ >= kLzhQ2) {
        Emit(1);
        low_ -= kLzhQ2;
        high_ -= kLzhQ2;
      } else if (low_ >= kLzhQ1 && high_ <= kLzhQ3) {
        pending_++;
        low_ -= kLzhQ1;
        high_ -= kLzhQ1;
      } else {
        break;
      }
      low_ += low_;
      high_ += high_;
    }
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
    size_t limit = total - q < kLzhLookAhead ? total - q : kLzhLookAhead;
    size_t best = 0, best_distance = 0;
    if (limit > kLzhThreshold) {
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
    if (best > kLzhThreshold) {
      enc.Char(u32(255 - kLzhThreshold + best));
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
