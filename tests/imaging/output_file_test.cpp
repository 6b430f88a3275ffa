#include "imaging/output_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "framework/error.h"
#include "support/temp_dir.h"
#include "tools/file_io.h"

namespace tessory {
namespace {

const std::uint8_t kBytes[] = {'n', 'e', 'w'};

std::size_t EntriesIn(const std::string& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(test::PathOf(folder))) ++count;
  return count;
}

TEST(OutputFile, NewFileNeverTakesAnExistingName) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("a.bmp"), "old");
  EXPECT_EQ(OutputFile::CreateNew(dir.File("a.bmp")), nullptr);
  EXPECT_EQ(test::ReadFileBytes(dir.File("a.bmp")), "old");

  auto file = OutputFile::CreateNew(dir.File("b.bmp"));
  ASSERT_NE(file, nullptr);
  file->Write(kBytes);
  file->Commit();
  EXPECT_EQ(test::ReadFileBytes(dir.File("b.bmp")), "new");
}

TEST(OutputFile, UncommittedFilesAreRemovedAndTheOldFileKept) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("a.png"), "old");
  {
    auto replacement = OutputFile::Replace(dir.File("a.png"));
    replacement->Write(kBytes);
    auto created = OutputFile::CreateNew(dir.File("b.png"));
    created->Write(kBytes);
  }  // both abandoned, as when a writer throws
  EXPECT_EQ(test::ReadFileBytes(dir.File("a.png")), "old");
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);  // no temporary sibling, no b.png

  auto replacement = OutputFile::Replace(dir.File("a.png"));
  replacement->Write(kBytes);
  replacement->Commit();
  EXPECT_EQ(test::ReadFileBytes(dir.File("a.png")), "new");
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

// A file of the target's name may appear while the new one is written.
TEST(OutputFile, ReplacementTakesANameThatAppearedWhileWriting) {
  test::TempDir dir;
  auto replacement = OutputFile::Replace(dir.File("a.gif"));
  replacement->Write(kBytes);
  test::WriteFileBytes(dir.File("a.gif"), "other");
  replacement->Commit();
  EXPECT_EQ(test::ReadFileBytes(dir.File("a.gif")), "new");
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(OutputFile, ErrorsNameThePathAndTheSystemsReason) {
  test::TempDir dir;
  const std::string path = dir.File("missing") + "/a.png";
  try {
    OutputFile::Replace(path, {"Error Opening File %s!", "Error Writing PNG File!"});
    FAIL() << "no error";
  } catch (const EFCreateError& e) {
    // The first line names the path already, so no second path line.
    const std::string text = e.what();
    EXPECT_EQ(test::FirstLine(text), "Error Opening File " + path + "!");
    EXPECT_EQ(text.find('\n', text.find('\n') + 1), std::string::npos);
    EXPECT_GT(text.size(), test::FirstLine(text).size() + 1);
  }
  EXPECT_EQ(FileErrorText("Stream write error", "T:\\CAP0000.bmp", "There is not enough space on the disk."),
            "Stream write error\nT:\\CAP0000.bmp\nThere is not enough space on the disk.");
}

#ifdef __linux__
TEST(OutputFile, FullDeviceIsAWriteErrorWithPathAndReason) {
  if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  auto file = OutputFile::Replace("/dev/full");
  try {
    file->Write(kBytes);
    file->Commit();
    FAIL() << "no error";
  } catch (const EWriteError& e) {
    EXPECT_STREQ(e.what(), "Stream write error\n/dev/full\nNo space left on device");
  }
}
#endif

}  // namespace
}  // namespace tessory
