// Keyboard state: held keys, consumed presses, repeats, codes above the table and the any-key flag.
#include <gtest/gtest.h>

#include "runtime/key.h"

TEST(KeyTable, DownUpRepeatsAndConsumedPresses) {
  Key_Set_Down('S');
  Key_Set_Down('S');  // auto-repeat
  Key_Set_Up('S');
  EXPECT_FALSE(Key_Is_Down('S')) << "two downs and one up leave the key up";
  Key_Set_Down(KEY_TAB);
  Key_Clear(KEY_TAB);
  EXPECT_FALSE(Key_Is_Down(KEY_TAB)) << "a consumed press";
  Key_Set_Down(u8(128 + KEY_ESCAPE));
  EXPECT_TRUE(Key_Is_Down(KEY_ESCAPE)) << "codes above the table fold into it";
  Key_Init();
  EXPECT_FALSE(Key_Is_Down(KEY_ESCAPE));
  EXPECT_FALSE(Key_Pressed()) << "nothing sets the any-key flag while hooked";
}
