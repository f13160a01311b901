// Keyboard state: held keys, consumed presses, repeats, codes above the table and the any-key flag.
#include <gtest/gtest.h>

#include "runtime/key.h"

TEST(KeyTable, DownUpRepeatsAndConsumedPresses) {
  Key_Set_Down(KEY_ESCAPE);
  Key_Init();
  for (u32 code = 0; code < 128; code++) EXPECT_FALSE(Key_Is_Down(u8(code))) << code;
  Key_Set_Down('S');
  EXPECT_TRUE(Key_Is_Down(83));
  Key_Set_Down('S');  // auto-repeat
  Key_Set_Up('S');
  EXPECT_FALSE(Key_Is_Down('S')) << "two downs and one up leave the key up";
  Key_Set_Down(KEY_TAB);
  Key_Clear(KEY_TAB);
  EXPECT_FALSE(Key_Is_Down(KEY_TAB));
  Key_Set_Up(KEY_TAB);
  Key_Set_Down(KEY_TAB);
  EXPECT_TRUE(Key_Is_Down(KEY_TAB)) << "pressed again after the clear";
  Key_Set_Down(u8(128 + KEY_ESCAPE));
  EXPECT_TRUE(Key_Is_Down(KEY_ESCAPE)) << "codes above the table fold into it";
  for (u32 code = 0; code < 128; code++) Key_Set_Down(u8(code));
  EXPECT_FALSE(Key_Pressed()) << "nothing sets the any-key flag while hooked";
  Key_Done();
  EXPECT_FALSE(Key_Pressed()) << "no console keyboard to ask";
}
