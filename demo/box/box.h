// The box scene: a spinning crate room with lens sprites, seen by a camera on the sway, and a swelling shell.
#pragma once
#include "render/mesh.h"
#include "runtime/types.h"

// One point of the wobbling object: where it was, its unit normal, its phase (0..1023) and its index.
struct BoxWobblePoint {
  MeshPoint point;
  MeshVector normal;
  u32 phase;
  u32 index;
};

const u32 kBoxSpriteRecords = 10;  // animation records of the sprite object

void Box_Load(void);
void Box_Frame(void);
void Box_Render(void);
void Box_Tick(void);
void Box_Init_Wobble(u32 object);
void Box_Wobble(void);
void Box_Add_Wobble_Step(void);
void Box_Colour_Map(void);
void Box_Show_Object(void);
void Box_Hide_Object(void);
void Box_Set_Spin_Mode_1(void);
void Box_Set_Spin_Mode_2(void);
void Box_Set_Spin_Mode_3(void);
void Box_Start_Beat_Flash(void);
void Box_Stop_Beat_Flash(void);
void Box_Start_Sway(void);
void Box_Stop_Sway(void);
void Box_Free(void);

// Read access for the overlay and tests.
i32 Box_Get_Scene(void);
u32 Box_Get_Shell(void);
u32 Box_Get_Wobble_Count(void);
const BoxWobblePoint* Box_Get_Wobble_Table(void);
