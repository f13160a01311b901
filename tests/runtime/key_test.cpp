// Keyboard state: held keys, consumed presses, repeats, codes above the table and the any-key flag.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>

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

// Unhooked, a key waiting on a terminal standing in as standard input is seen (and left unread); input
// that is not a terminal is never asked; hooked, only the any-key flag counts.
TEST(KeyTable, UnhookedTheConsoleTerminalIsAskedForAWaitingKey) {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
  int terminal = open(ptsname(master), O_RDWR | O_NOCTTY), pipe_ends[2];
  ASSERT_GE(terminal, 0);
  ASSERT_EQ(pipe(pipe_ends), 0);
  int saved = dup(STDIN_FILENO);
  dup2(terminal, STDIN_FILENO);
  Key_Done();
  EXPECT_FALSE(Key_Pressed()) << "nothing typed";
  ASSERT_EQ(write(master, "k\n", 2), 2);
  pollfd typed = {terminal, POLLIN, 0};
  ASSERT_EQ(poll(&typed, 1, 5000), 1);  // the line has reached the terminal
  EXPECT_TRUE(Key_Pressed());
  EXPECT_TRUE(Key_Pressed()) << "the key is not consumed";
  Key_Init();
  EXPECT_FALSE(Key_Pressed()) << "hooked";
  Key_Done();
  ASSERT_EQ(write(pipe_ends[1], "k\n", 2), 2);
  dup2(pipe_ends[0], STDIN_FILENO);
  EXPECT_FALSE(Key_Pressed()) << "a pipe is no console";
  dup2(saved, STDIN_FILENO);
  for (int fd : {saved, terminal, master, pipe_ends[0], pipe_ends[1]}) close(fd);
}
