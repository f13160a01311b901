// The mesh tool's text format: malformed numbers are reported with their line, never thrown or wrapped.
#include <gtest/gtest.h>

#include <string>

#include "k3d_writer.h"

namespace {
// The parser's verdict on one text, and its error.
bool Parse(const std::string& text, std::string* error) {
  K3dMesh mesh;
  return K3d_Parse_Text(text, &mesh, error);
}
}  // namespace

TEST(K3dText, BadNumbersInAPolygonAreReportedWithTheirLine) {
  std::string error;
  EXPECT_FALSE(Parse("o a\nv 0 0 0\nf zero\n", &error));
  EXPECT_NE(error.find("line 3"), std::string::npos) << error;
  EXPECT_FALSE(Parse("o a\nv 0 0 0\nf t=x 0\n", &error));
  EXPECT_NE(error.find("line 3"), std::string::npos) << error;
  EXPECT_FALSE(Parse("o a\nv 0 0 0\nf 99999999999999999999\n", &error));
  EXPECT_FALSE(Parse("o a\nv 0 0 0\nf 0x\n", &error));
  EXPECT_FALSE(Parse("o a\nv 0 0 0\nf t=256 0\n", &error));
}

TEST(K3dText, IndicesPastSixteenBitsDoNotWrapOntoRealPoints) {
  std::string error;
  // 65536 would wrap to point 0 if cut to 16 bits.
  EXPECT_FALSE(Parse("o a\nv 0 0 0\nf 65536\n", &error));
  EXPECT_FALSE(Parse("o a\nv 0 0 0\nf -65536\n", &error));
  EXPECT_TRUE(Parse("o a\nv 0 0 0\nf t=255 0\n", &error)) << error;
}
