// The show's timeline: every event of the show added to the sequencer.
#pragma once

void Demo_Setup_Sequence(void);
