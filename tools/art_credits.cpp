// The credits picture: six pages stacked on a 50-line pitch.
#include "art_credits.h"

namespace {

// A page: a small heading over one or two lines.
struct Page {
  const char* heading;
  const char* line1;
  const char* line2;
};

// The show, the group that made it, the parts of the work and thanks: nothing but what is true.
const Page kPages[6] = {
    {"TARVEK PRESENTS", "VELMORAN", nullptr},
    {"CODE", "TARVEK", nullptr},
    {"GRAPHICS", "TARVEK", nullptr},
    {"MUSIC", "TARVEK", nullptr},
    {"3D ENGINE AND TOOLS", "TARVEK", nullptr},
    {"THANKS", "FOR", "WATCHING"},
};

}  // namespace

ArtCanvas Art_Credits_Picture(void) {
  ArtCanvas a(320, 300);
  // Bright enough to stay readable under the page's darkening, low enough to leave room for the grain
  // and the dimmed last frame added on top.
  const u32 heading = 0x9CC8D2, name = 0xE6E1D2, glow = 0x203038;
  for (u32 k = 0; k < 6; k++) {
    const i32 top = i32(50 * k);
    const Page& p = kPages[k];
    Art_Text_Centred(&a, 160, top + 3, p.heading, 1, heading, 0);
    if (p.line2) {
      Art_Text_Centred(&a, 160, top + 14, p.line1, 2, name, glow);
      Art_Text_Centred(&a, 160, top + 31, p.line2, 2, name, glow);
    } else {
      Art_Text_Centred(&a, 160, top + 16, p.line1, 3, name, glow);
    }
    // A thin rule under the heading.
    const i32 half = Art_Text_Width(p.heading, 1) / 2 + 6;
    for (i32 x = 160 - half; x < 160 + half; x++) a.Put(x, top + 11, 0x406070);
  }
  return a;
}

bool Art_Credits_Entries(const std::string& dir, std::vector<DatafileEntry>* entries) {
  DatafileEntry credits{"credits/credits.pcx", {}, DATAFILE_RAW};
  if (!Art_Design_Pcx(Art_Credits_Picture(), dir + "/credits.pcx.part", &credits.data)) return false;
  entries->push_back(credits);
  return true;
}
