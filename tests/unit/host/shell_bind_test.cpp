// The shell's copy of the simulated Windows and the binding of the system
// function table.
#include <string.h>

#include "host_scene.h"

namespace {

using ShellCopyTest = HostScene;

int Copy(const char* source, const char* destination, uint16_t flags,
         int* aborted) {
  // Each path followed by two NULs, as the updater passes them.
  char from[520] = {0};
  char to[520] = {0};
  strcpy(from, source);
  strcpy(to, destination);
  ShellCopyRequest request;
  memset(&request, 0, sizeof request);
  request.Function = SYS_FO_COPY;
  request.Source = from;
  request.Destination = to;
  request.Flags = flags;
  request.Aborted = 7;
  int result = SystemFunctions.ShellCopy(&request);
  *aborted = request.Aborted;
  return result;
}

TEST_F(ShellCopyTest, CopiesAFileToAFullPathCreatingFolders) {
  Write("CD/movie/intro.avi", "film");
  SystemFunctions.FileAttributesSet("C:\\CD\\movie\\intro.avi",
                                    SYS_FILE_ATTRIBUTE_READONLY);
  int aborted = -1;
  EXPECT_EQ(Copy("C:\\CD\\movie\\intro.avi", "C:\\Game\\movie\\intro.avi",
                 0x0210, &aborted),
            0);
  EXPECT_EQ(aborted, 0);
  EXPECT_EQ(Read("Game/movie/intro.avi"), "film");
  EXPECT_EQ(SystemFunctions.FileAttributesGet("C:\\Game\\movie\\intro.avi"),
            SYS_FILE_ATTRIBUTE_READONLY)
      << "the copy keeps the attributes of its source";
  ASSERT_EQ(HostShellCopyCount(), 1);
  EXPECT_STREQ(HostShellCopy(0)->Source, "C:\\CD\\movie\\intro.avi");
  EXPECT_STREQ(HostShellCopy(0)->Destination, "C:\\Game\\movie\\intro.avi");
  EXPECT_EQ(HostShellCopy(0)->Flags, 0x0210);
}

TEST_F(ShellCopyTest, CopiesAFolderIntoAFolderUnderItsName) {
  Write("CD/bgm/a.ogg", "a");
  Write("CD/bgm/sub/b.ogg", "b");
  Write("Game/bgm/a.ogg", "old");
  int aborted = -1;
  EXPECT_EQ(Copy("C:\\CD\\bgm", "C:\\Game", 0x0610, &aborted), 0);
  EXPECT_EQ(Read("Game/bgm/a.ogg"), "a");
  EXPECT_EQ(Read("Game/bgm/sub/b.ogg"), "b");
  EXPECT_FALSE(Exists("Game/a.ogg"));
}

TEST_F(ShellCopyTest, MissingSourceAndForcedResults) {
  std::filesystem::create_directories(Host("Game"));
  int aborted = -1;
  EXPECT_EQ(Copy("C:\\CD\\none", "C:\\Game", 0x0610, &aborted), 1026);
  EXPECT_EQ(Copy("E:\\none", "C:\\Game", 0x0610, &aborted), 1026);
  Write("CD/a.txt", "a");
  HostForceNextShellCopy(0, 1);
  EXPECT_EQ(Copy("C:\\CD\\a.txt", "C:\\Game\\a.txt", 0x0210, &aborted), 0);
  EXPECT_EQ(aborted, 1);
  EXPECT_FALSE(Exists("Game/a.txt")) << "a forced answer copies nothing";
  EXPECT_EQ(Copy("C:\\CD\\a.txt", "C:\\Game\\a.txt", 0x0210, &aborted), 0);
  EXPECT_EQ(aborted, 0);
  EXPECT_EQ(Read("Game/a.txt"), "a");
  EXPECT_EQ(HostShellCopyCount(), 4);
}

TEST(BindingTest, OneMissingEntryFailsTheWholeBinding) {
  HostReset();
  EXPECT_TRUE(BindSystemFunctions());
  EXPECT_NE(SystemFunctions.KeyClose, nullptr);
  const char* names[] = {"FileOpen", "FileAttributesSet", "ShellCopy",
                         "KeyQueryValue", "AdvancedLibrary"};
  for (const char* name : names) {
    HostReset();
    HostFailBinding(name);
    EXPECT_FALSE(BindSystemFunctions()) << name;
    // Every other lookup was still made.
    EXPECT_NE(SystemFunctions.FileRead, nullptr) << name;
  }
  EXPECT_EQ(SystemFunctions.KeyOpen, nullptr) << "the library took its entries";
  HostReset();
  EXPECT_NE(SystemFunctions.KeyOpen, nullptr) << "reset binds again";
}

}  // namespace
