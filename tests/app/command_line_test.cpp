#include "app/command_line.h"

#include <gtest/gtest.h>

namespace tessory {
namespace {

using Action = CommandLine::Action;

CommandLine Parse(std::vector<std::string> args) {
  return ParseCommandLine(args);
}

std::string ErrorOf(std::vector<std::string> args) {
  try {
    Parse(std::move(args));
  } catch (const CommandLineError& error) {
    EXPECT_EQ(error.Code(), ExitCode::BadArguments);
    return error.what();
  }
  return "(no error)";
}

ScriptDelivery Resolve(std::vector<std::string> args, const CaptureSettings& stored = {}) {
  return ResolveDelivery(Parse(std::move(args)).command, stored);
}

TEST(CommandLine, NoArgumentsStartTheToolWindow) {
  EXPECT_EQ(Parse({}).action, Action::StartWindow);
}

TEST(CommandLine, HelpIsAskedEitherWayWhateverElseIsGiven) {
  EXPECT_EQ(Parse({"/?"}).action, Action::Help);
  EXPECT_EQ(Parse({"--capture", "bogus", "--help"}).action, Action::Help);
}

TEST(CommandLine, EachWindowQuery) {
  EXPECT_EQ(ParseWindowQuery("active").kind, TargetKind::Active);
  EXPECT_EQ(ParseWindowQuery("pointer").kind, TargetKind::Pointer);
  const WindowQuery title = ParseWindowQuery("title:Note:pad");
  EXPECT_EQ(title.kind, TargetKind::Title);
  EXPECT_EQ(title.text, "Note:pad");
  const WindowQuery exact = ParseWindowQuery("title:=Untitled - Notepad");
  EXPECT_EQ(exact.kind, TargetKind::ExactTitle);
  EXPECT_EQ(exact.text, "Untitled - Notepad");
  const WindowQuery program = ParseWindowQuery("process:notepad.exe");
  EXPECT_EQ(program.kind, TargetKind::Process);
  EXPECT_EQ(program.text, "notepad.exe");
  EXPECT_EQ(ParseWindowQuery("handle:0x1A2b").handle, 0x1A2Bu);
  EXPECT_EQ(ParseWindowQuery("handle:6699").handle, 6699u);
}

TEST(CommandLine, WindowQueriesThatNameNothingAreRefused) {
  for (const char* what : {"Active", "title:", "title:=", "process: ", "handle:", "handle:0x", "handle:0",
                           "handle:0x12345678901234567", "handle:12z", "window"}) {
    EXPECT_THROW(ParseWindowQuery(what), CommandLineError) << what;
  }
}

TEST(CommandLine, TheDestinationsOfTo) {
  EXPECT_EQ(Parse({"--capture", "active", "--to", "CLIPBOARD"}).command.to, Destination::Clipboard);
  EXPECT_EQ(Parse({"--capture", "active", "--to", "C:\\shots\\"}).command.to, Destination::Folder);
  const ScriptCommand file = Parse({"--capture", "active", "--to", "C:\\shots\\a.png"}).command;
  EXPECT_EQ(file.to, Destination::File);
  EXPECT_EQ(file.path, "C:\\shots\\a.png");
  EXPECT_EQ(Parse({"--capture", "active"}).command.to, Destination::Stored);
}

TEST(CommandLine, OptionsTakeTheirValuesAfterAnEqualsSignToo) {
  const ScriptCommand c = Parse({"--quality=75", "--capture=title:a=b", "--delay", "3", "--pointer"}).command;
  EXPECT_EQ(c.quality, 75);
  EXPECT_EQ(c.window.text, "a=b");
  EXPECT_EQ(c.delaySeconds, 3);
  EXPECT_TRUE(c.pointer);
  EXPECT_FALSE(c.overwrite);
}

TEST(CommandLine, EveryFlag) {
  const ScriptCommand c =
      Parse({"--capture", "active", "--overwrite", "--sound", "--notify", "--copy-image", "--copy-file", "--copy-path"})
          .command;
  EXPECT_TRUE(c.overwrite && c.sound && c.notify && c.copyImage && c.copyFile && c.copyPath);
}

TEST(CommandLine, MistakesAreNamedInOneLine) {
  EXPECT_EQ(ErrorOf({"--to", "a.png"}), "--capture WHAT is missing; tessory.exe --help lists the options");
  EXPECT_EQ(ErrorOf({"--capture"}), "--capture needs a value");
  EXPECT_EQ(ErrorOf({"--capture", "active", "--to", "a.png", "--to", "b.png"}), "--to is given twice");
  EXPECT_EQ(ErrorOf({"--capture", "active", "--fast"}),
            "unknown argument \"--fast\"; tessory.exe --help lists the options");
  EXPECT_EQ(ErrorOf({"--capture", "active", "--pointer=1"}),
            "unknown argument \"--pointer=1\"; tessory.exe --help lists the options");
  EXPECT_EQ(ErrorOf({"--capture", "active", "--type", "tiff"}), "--type takes bmp, jpg, gif or png, not \"tiff\"");
  EXPECT_EQ(ErrorOf({"--capture", "active", "--to", " "}), "--to needs a file, a folder ending in \\ or clipboard");
}

TEST(CommandLine, NumbersOutsideTheirRangesAreRefused) {
  EXPECT_EQ(ErrorOf({"--capture", "active", "--quality", "101"}),
            "--quality takes a whole number from 0 to 100, not \"101\"");
  EXPECT_EQ(ErrorOf({"--capture", "active", "--delay", "61"}), "--delay takes a whole number from 0 to 60, not \"61\"");
  EXPECT_EQ(ErrorOf({"--capture", "active", "--delay", "-1"}), "--delay takes a whole number from 0 to 60, not \"-1\"");
  EXPECT_EQ(ErrorOf({"--capture", "active", "--delay", "99999999999"}),
            "--delay takes a whole number from 0 to 60, not \"99999999999\"");
  EXPECT_EQ(ErrorOf({"--capture", "active", "--bits", "12"}), "--bits takes 8, 16, 24 or 32, not \"12\"");
  EXPECT_EQ(Parse({"--capture", "active", "--quality", "0"}).command.quality, 0);
}

TEST(ScriptDelivery, AFilesExtensionChoosesItsTypeUnlessTypeIsGiven) {
  EXPECT_EQ(Resolve({"--capture", "active", "--to", "a.JPEG"}).type, ImageKind::Jpeg);
  EXPECT_EQ(Resolve({"--capture", "active", "--to", "a.gif"}).type, ImageKind::Gif);
  EXPECT_EQ(Resolve({"--capture", "active", "--to", "a.gif", "--type", "bmp"}).type, ImageKind::Bitmap);
  EXPECT_EQ(Resolve({"--capture", "active", "--to", "C:\\x.png\\shot", "--type", "png"}).file, "C:\\x.png\\shot");
  EXPECT_THROW(Resolve({"--capture", "active", "--to", "C:\\x.png\\shot"}), CommandLineError);
  EXPECT_THROW(Resolve({"--capture", "active", "--to", "shot.tiff"}), CommandLineError);
}

TEST(ScriptDelivery, WithoutToTheStoredFolderNamesAndTypeServe) {
  CaptureSettings stored;
  stored.SaveOption = 1;  // the named-file route would ask: a command never does
  stored.ImageType = ImageTypeValue::FromStored(2);
  stored.TempFolder = "C:\\stored";
  stored.SequentialFileNames = true;
  const ScriptDelivery d = Resolve({"--capture", "active"}, stored);
  EXPECT_EQ(d.to, Destination::Stored);
  EXPECT_EQ(d.type, ImageKind::Gif);
  EXPECT_EQ(AsSaveRoute(d.settings.SaveOption), SaveRoute::AutoSave);
  EXPECT_EQ(d.settings.TempFolder, "C:\\stored");
  EXPECT_TRUE(d.settings.SequentialFileNames);
}

TEST(ScriptDelivery, AStoredPromptOrUnknownTypeMeansPng) {
  CaptureSettings stored;
  stored.ImageType = ImageTypeValue::FromStored(4);
  EXPECT_EQ(Resolve({"--capture", "active"}, stored).type, ImageKind::Png);
  stored.ImageType = ImageTypeValue::FromStored(9);
  EXPECT_EQ(Resolve({"--capture", "active", "--to", "D:\\shots\\"}, stored).settings.ImageType, ImageKind::Png);
}

TEST(ScriptDelivery, AFolderTakesThePlaceOfTheStoredOne) {
  const ScriptDelivery d = Resolve({"--capture", "active", "--to", "D:\\new\\", "--type", "jpg"});
  EXPECT_EQ(d.settings.TempFolder, "D:\\new\\");
  EXPECT_EQ(d.settings.ImageType, ImageKind::Jpeg);
}

TEST(ScriptDelivery, TheStoredQualityHoldsOnlyForItsOwnType) {
  CaptureSettings stored;
  stored.ImageType = ImageTypeValue::FromStored(0);
  stored.ImageQuality = 1;  // 8-bit bitmaps
  EXPECT_EQ(Resolve({"--capture", "active", "--to", "a.bmp"}, stored).settings.ImageQuality, 1);
  EXPECT_EQ(Resolve({"--capture", "active", "--to", "a.jpg"}, stored).settings.ImageQuality, 90);
  stored.ImageType = ImageTypeValue::FromStored(1);
  stored.ImageQuality = 40;
  EXPECT_EQ(Resolve({"--capture", "active", "--to", "a.jpg"}, stored).settings.ImageQuality, 40);
  EXPECT_EQ(Resolve({"--capture", "active", "--to", "a.bmp"}, stored).settings.ImageQuality, 3);
  EXPECT_EQ(Resolve({"--capture", "active", "--to", "a.jpg", "--quality", "5"}, stored).settings.ImageQuality, 5);
  EXPECT_EQ(Resolve({"--capture", "active", "--to", "a.bmp", "--bits", "16"}, stored).settings.ImageQuality, 2);
}

TEST(ScriptDelivery, QualityAndDepthAreRefusedForOtherTypes) {
  EXPECT_THROW(Resolve({"--capture", "active", "--to", "a.png", "--quality", "50"}), CommandLineError);
  EXPECT_THROW(Resolve({"--capture", "active", "--to", "a.jpg", "--bits", "8"}), CommandLineError);
}

TEST(ScriptDelivery, AfterSaveActionsRunOnlyWhenAskedFor) {
  CaptureSettings stored;
  stored.CopyImageAfterSave = stored.CopyFileAfterSave = stored.CopyPathAfterSave = stored.NotifyAfterSave = true;
  const CaptureSettings quiet = Resolve({"--capture", "active", "--to", "a.png"}, stored).settings;
  EXPECT_FALSE(quiet.CopyImageAfterSave || quiet.CopyFileAfterSave || quiet.CopyPathAfterSave || quiet.NotifyAfterSave);
  const CaptureSettings asked = Resolve({"--capture", "active", "--to", "a.png", "--copy-path", "--notify"}).settings;
  EXPECT_TRUE(asked.CopyPathAfterSave && asked.NotifyAfterSave);
  EXPECT_FALSE(asked.CopyImageAfterSave);
}

TEST(ScriptDelivery, ClipboardTakesTheClipboardRoute) {
  EXPECT_EQ(AsSaveRoute(Resolve({"--capture", "active", "--to", "clipboard"}).settings.SaveOption),
            SaveRoute::CopyToClipboard);
}

TEST(WindowMatch, TitlesWithoutRegardToCase) {
  EXPECT_TRUE(TitleMatches("Untitled - Notepad", "NOTEPAD", false));
  EXPECT_FALSE(TitleMatches("Untitled - Notepad", "NOTEPAD", true));
  EXPECT_TRUE(TitleMatches("Untitled - Notepad", "untitled - notepad", true));
}

TEST(WindowMatch, ProgramsWithOrWithoutTheirExtension) {
  EXPECT_TRUE(ProgramMatches("notepad.exe", "Notepad.EXE"));
  EXPECT_TRUE(ProgramMatches("notepad.exe", "notepad"));
  EXPECT_FALSE(ProgramMatches("notepad.exe", "note"));
  EXPECT_FALSE(ProgramMatches("", ""));
}

}  // namespace
}  // namespace tessory
