// Fixed-width types shared by every module of the engine.
#pragma once
#include <cstddef>
#include <cstdint>

typedef std::uint8_t u8;
typedef std::uint16_t u16;
typedef std::uint32_t u32;
typedef std::uint64_t u64;
typedef std::int8_t i8;
typedef std::int16_t i16;
typedef std::int32_t i32;
typedef std::int64_t i64;
typedef float f32;
typedef double f64;

// A callback registered by address: loaders, frame and tick callbacks, setters, frees.
typedef void (*DemoCallback)(void);

// Fixed-point formats. 16.16 holds screen positions, edge steps and stretch sums; 8.8 holds texture
// coordinates. Two 16-bit halves pack into one word: the first coordinate high, the second low.
const i32 kFix16Bits = 16;
const i32 kFix16One = 1 << kFix16Bits;
const i32 kFix8Bits = 8;
const i32 kFix8One = 1 << kFix8Bits;
const u32 kFixHalfMask = 0xFFFF;

// A whole number as 16.16 (its high bits beyond 16 wrap, as the 32-bit word does).
inline u32 Fix16_From_Int(i32 v) { return u32(v) << kFix16Bits; }
// The whole part of an unsigned 16.16 value.
inline u32 Fix16_Whole(u32 v) { return v >> kFix16Bits; }
// A 16.16 value taken down to 8.8, by arithmetic shift.
inline i32 Fix16_To_Fix8(i32 v) { return v >> (kFix16Bits - kFix8Bits); }
// A whole number as 8.8.
inline u32 Fix8_From_Int(u32 v) { return v << kFix8Bits; }
// Two 16-bit halves in one word.
inline u32 Fix_Pack(u32 high, u32 low) { return (high << kFix16Bits) | (low & kFixHalfMask); }
inline u32 Fix_High(u32 packed) { return packed >> kFix16Bits; }
inline u32 Fix_Low(u32 packed) { return packed & kFixHalfMask; }
