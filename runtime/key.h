// Keyboard state: which of the 128 key codes are held, filled by the host's key events.
#pragma once
#include "runtime/types.h"

enum : u8 {
  KEY_TAB = 9,
  KEY_ENTER = 13,
  KEY_CTRL = 17,
  KEY_ESCAPE = 27,
  KEY_SPACE = 32,
  KEY_LEFT = 37,
  KEY_UP = 38,
  KEY_RIGHT = 39,
  KEY_DOWN = 40,
  KEY_NUMPAD_PLUS = 107,
  KEY_NUMPAD_MINUS = 109,
};

void Key_Init(void);
void Key_Done(void);
void Key_Set_Down(u8 code);
void Key_Set_Up(u8 code);
bool Key_Is_Down(u8 code);
void Key_Clear(u8 code);
bool Key_Pressed(void);  // hooked: the any-key flag; else whether the console has a key waiting
void Key_Clear_Any(void);
