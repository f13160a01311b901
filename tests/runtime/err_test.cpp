// Fatal errors: the exit code is the message's index, the hook runs first, the line is printed as text.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "runtime/err.h"
#include "tests/engine_fixture.h"

TEST(FatalError, HookThenTheMarkedLineThenExitWithTheMessagesIndex) {
  const struct {
    const char* what;
    std::function<void()> fail;
    int code;
    std::string output;
  } rows[] = {
      {"hook first",
       [] {
         Err_Set_Exit_Hook([] { fputs("hook;", stdout); });
         Err_Error("File: %s not found in datafile", "pics/logo.pcx");
       },
       1, "hook;\n\xFE File: pics/logo.pcx not found in datafile\r\n"},
      {"percent signs are text", [] { Err_Exit(Err_Message("Vbe: 100% %s %d")); }, 1, "\n\xFE Vbe: 100% %s %d\r\n"},
      {"cut to 76 characters", [] { Err_Error("File: %s", std::string(100, 'x').c_str()); }, 1,
       "\n\xFE File: " + std::string(70, 'x') + "\r\n"},
      {"a failing hook runs once; the newest index is the code",
       [] {
         Err_Set_Exit_Hook([] { Err_Error("Mem: Unable to find memory block"); });
         Err_Error("Seq: Illegal control event");
       },
       2, "\n\xFE Mem: Unable to find memory block\r\n"},
      {"no code after the text", [] { Err_Uncaught_Exception(); }, 1, "\n\xFE Err: Uncaught exception, code:\r\n"},
      {"numbered from one", [] { Err_Message("first"), Err_Message("second"), Err_Exit(Err_Message("third")); }, 3,
       "\n\xFE third\r\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_CHILD(row.code, row.fail());
    EXPECT_EQ(Child_Output(), row.output);
  }
}
