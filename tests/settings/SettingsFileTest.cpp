#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "histogram/TestSource.h"
#include "options/OptionsCommands.h"
#include "serial/ComPortPath.h"
#include "settings/FileReplace.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsStore.h"
#include "settings/StartUp.h"
#include "support/Environment.h"
#include "support/TestSystem.h"
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sorvant::test {
namespace {

namespace fs = std::filesystem;

std::string defaultFile() {
  std::string text;
  for (int set = 0; set < 5; ++set)
    text += "5602168\r\n7314328\r\n10211039\r\n37120\r\n13092807\r\n4227327\r\n16777215\r\n7340031\r\n";
  return text + "1\r\n4800\r\n\"A:ACQUIRE    ( ON )\"\r\n\"T:TEST             ( ON )\"\r\n\"MANUAL\"\r\n-1\r\n";
}

// The values of a file written with CRLF line ends (index = line number - 1).
std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(text.substr(at, end - at));
  return lines;
}
std::vector<std::string> defaultLines() { return linesOf(defaultFile()); }

std::string joined(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

std::string contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// How many lines the program put on standard error.
std::size_t linesSaid(const std::string& said) {
  std::size_t n = 0;
  for (std::size_t at = said.find("sorvant: "); at != std::string::npos; at = said.find("sorvant: ", at + 1)) ++n;
  return n;
}

bool isRoot() {
#ifdef _WIN32
  return false;
#else
  return ::geteuid() == 0;
#endif
}

// Each test owns a config folder; systems are created normally and then loaded from it.
class SettingsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    fs::remove_all(folder_);
    TestSystem::isolateSettings();
  }
  void checkLinkedFile();
  std::unique_ptr<TestSystem> start() {
    auto ts = std::make_unique<TestSystem>(false, false);
    TestSystem::useConfigFolder(ts->sys, folder_);
    loadSystem(ts->sys);
    return ts;
  }
  void store(const std::string& text) {
    fs::remove_all(folder_);
    fs::create_directories(file().parent_path());
    std::ofstream(file(), std::ios::binary) << text;
  }
  fs::path file() const { return folder_ / "sorvant" / "Sorvant.ini"; }
  fs::path bad() const { return folder_ / "sorvant" / "Sorvant.ini.bad"; }
  std::set<std::string> folderEntries() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_ / "sorvant"))
      names.insert(entry.path().filename().string());
    return names;
  }

  fs::path folder_ = fs::temp_directory_path() / ("sorvant-settings-" + std::to_string(std::random_device{}()));
};

TEST_F(SettingsTest, NoFileWritesTheDefaultFileAndStartsWithItsSettings) {
  auto ts = start();
  EXPECT_EQ(contents(file()), defaultFile());
  System& sys = ts->sys;
  EXPECT_EQ(ts->port.commPort(), 1);
  EXPECT_EQ(ts->port.settings(), "4800,n,8,1");
  EXPECT_EQ(ts->port.openCalls, 0);
  EXPECT_EQ(sys.main.Label_COMM.caption, "COM1 @ 4800 BAUD");
  EXPECT_EQ(sys.main.CmdButton_ACQUIRE.caption + sys.main.CmdButton_TEST.caption, kAcquireOn + kTestOn);
  EXPECT_EQ(sys.opt.CmdButton_HEADING.caption, kHeadingManual);
  EXPECT_EQ(sys.opt.Label_HEADING_CORRECTION.caption, "000 WEST");
  EXPECT_EQ(sys.opt.color(CursorColor), kDefaultColors[CursorColor]);
}

TEST_F(SettingsTest, ShutdownWritesWhatTheNextStartReadsBack) {
  auto first = start();
  System& a = first->sys;
  first->port.setCommPort(5);
  a.opt.BAUD_RATE = 9600;
  CmdButton_TEST_Click(a);  // to the receiver: the port opens
  CmdButton_HEADING_Click(a);
  a.opt.HEADING_CORRECTION = 180;
  for (int set = 1; set <= 5; ++set)
    for (int slot = 1; slot <= 8; ++slot) a.colors.COLOR_TABLE[set][slot] = set * 100 + slot;
  for (int slot = 1; slot <= 8; ++slot) a.opt.swatch(slot).backColor = 0xABCD00 + slot;
  unloadSystem(a);
  EXPECT_FALSE(first->port.portOpen());
  const std::vector<std::string> written = linesOf(contents(file()));
  ASSERT_EQ(written.size(), 46u);
  EXPECT_EQ(written[40], "5");
  EXPECT_EQ(written[43], "\"T:TEST             ( OFF )\"");
  EXPECT_EQ(written[45], "179");

  auto second = start();
  System& b = second->sys;
  EXPECT_EQ(second->port.commPort(), 5);
  EXPECT_EQ(b.main.Label_COMM.caption, "COM5 @ 9600 BAUD");
  EXPECT_TRUE(second->port.portOpen());  // stored test off with acquisition on
  EXPECT_EQ(b.main.Label_SOURCE.caption, kSourceDf);
  EXPECT_TRUE(b.st.GPS_TIMER);
  EXPECT_FALSE(b.main.CmdButton_HDG_CW.visible || b.main.CmdButton_HDG_CCW.visible);
  EXPECT_EQ(b.main.Label_HDG.caption, "GPS 000 TRU");
  EXPECT_EQ(b.opt.Label_HEADING_CORRECTION.caption, "180 WEST");
  for (int slot = 1; slot <= 8; ++slot) EXPECT_EQ(b.opt.color(slot), 0xABCD00 + slot);
  for (int set = 2; set <= 5; ++set)
    for (int slot = 1; slot <= 8; ++slot) EXPECT_EQ(b.colors.COLOR_TABLE[set][slot], set * 100 + slot);

  CmdButton_ERROR_UP_Click(b);  // 180 -> -179
  CmdButton_ACQUIRE_Click(b);
  unloadSystem(b);
  EXPECT_NE(contents(file()).find("\r\n-180\r\n"), std::string::npos);
  auto third = start();
  EXPECT_EQ(third->sys.st.HEADING_CORRECTION, -179);
  EXPECT_EQ(third->sys.main.CmdButton_ACQUIRE.caption, kAcquireOff);
  EXPECT_EQ(third->port.openCalls, 0);  // receiver mode without acquisition: the port stays closed
}

TEST_F(SettingsTest, ADamagedFileIsKeptAsBadAndWhatWasReadBeforeTheDamageStays) {
  std::vector<std::string> lines = defaultLines();
  lines[40] = "3";
  lines[42] = "\"A:ACQUIRE  ( OFF )\"";
  lines.pop_back();
  store(joined(lines));
  auto ts = start();
  EXPECT_EQ(contents(file()), defaultFile());
  EXPECT_EQ(contents(bad()), joined(lines));
  EXPECT_EQ(ts->sys.main.CmdButton_ACQUIRE.caption, kAcquireOff);
  EXPECT_EQ(ts->port.commPort(), 1);

  // Repeated damage keeps the first ones beside it; past the last name only the newest is replaced.
  const fs::path folder = file().parent_path();
  for (int fault = 2; fault <= 6; ++fault) {
    std::ofstream(file(), std::ios::binary) << "fault " << fault << "\r\n";
    start();
  }
  EXPECT_EQ(contents(bad()), joined(lines));
  EXPECT_EQ(contents(folder / "Sorvant.ini.bad.1"), "fault 2\r\n");
  EXPECT_EQ(contents(folder / "Sorvant.ini.bad.2"), "fault 3\r\n");
  EXPECT_EQ(contents(folder / "Sorvant.ini.bad.3"), "fault 6\r\n");
  EXPECT_FALSE(fs::exists(folder / "Sorvant.ini.bad.4"));
}

TEST_F(SettingsTest, UnreadableValuesTakeTheBadFilePath) {
  const std::vector<std::pair<int, std::string>> damage{{0, ""},     {0, "1 2"},     {7, "99999999999"}, {40, "0"},
                                                        {40, "256"}, {40, "1,2"},    {40, "COM1"},       {41, "70000"},
                                                        {41, "-"},   {43, "MANUAL"}, {45, "-181"},       {45, "1.2.3"}};
  for (const auto& [index, text] : damage) {
    std::vector<std::string> lines = defaultLines();
    lines[index] = text;
    store(joined(lines));
    start();
    EXPECT_TRUE(fs::exists(bad())) << "line " << index + 1 << ": " << text;
    EXPECT_EQ(contents(file()), defaultFile());
  }
}

TEST_F(SettingsTest, OnlyExactCaptionsActWhileLineEndsBlanksAndExtraLinesAreForgiven) {
  std::vector<std::string> lines = defaultLines();
  lines[40] = "  2.5 ";
  lines[41] = "19200";
  lines[42] = " \"A:ACQUIRE ( OFF )\"";
  lines[43] = "\"t:test             ( off )\"";
  lines[44] = "\"gps\"";
  lines.push_back("anything after line 46");
  store(joined(lines, "\n"));
  auto ts = start();
  EXPECT_FALSE(fs::exists(bad()));
  EXPECT_EQ(ts->port.commPort(), 2);
  EXPECT_EQ(ts->port.settings(), "4800,n,8,1");
  EXPECT_EQ(ts->sys.main.CmdButton_ACQUIRE.caption + ts->sys.main.CmdButton_TEST.caption, kAcquireOn + kTestOn);
  EXPECT_EQ(ts->sys.opt.CmdButton_HEADING.caption, kHeadingManual);

  for (const auto& [text, port] : std::vector<std::pair<std::string, int>>{{"3.5", 4}, {"12", 12}}) {
    lines = defaultLines();
    lines[40] = text;
    store(joined(lines));
    ts = start();
    EXPECT_EQ(ts->port.commPort(), port);
  }
  // A port beyond COM8 is set, but the captions keep the dialog's design port.
  EXPECT_EQ(ts->sys.opt.CmdButton_COMM_PORT.caption, "COMM PORT : COM 2");
  EXPECT_EQ(ts->sys.main.Label_COMM.caption, "COM2 @ 4800 BAUD");
}

TEST_F(SettingsTest, ABadFileAfterTheTestCommandOpenedThePortListensOnTheDefaultPort) {
  std::vector<std::string> lines = defaultLines();
  lines[40] = "3";
  lines[43] = "\"T:TEST             ( OFF )\"";
  lines[45] = "west";
  store(joined(lines));
  auto ts = start();
  EXPECT_EQ(ts->port.closeCalls, 1);  // released before the port number changed under it
  EXPECT_EQ(ts->port.openCalls, 2);
  EXPECT_TRUE(ts->port.portOpen());
  EXPECT_EQ(ts->sys.main.Label_COMM.caption, "COM1 @ 4800 BAUD");
  EXPECT_EQ(ts->port.commPort(), 1);
}

TEST_F(SettingsTest, AFolderThatCannotBeWrittenNeitherStopsStartNorShutdown) {
  fs::create_directories(folder_);
  std::ofstream(folder_ / "sorvant") << "a file where the folder belongs";
  auto ts = start();
  EXPECT_EQ(ts->sys.opt.Label_HEADING_CORRECTION.caption, "000 WEST");
  unloadSystem(ts->sys);

  // A write that fails midway (here the flush to the disk) leaves the previous file as it was.
  std::vector<std::string> lines = defaultLines();
  lines[40] = "3";
  store(joined(lines));
  ts = start();
  ts->sys.opt.HEADING_CORRECTION = 45;
  FileSystemStore failingFlush({.flushToDisk = [](int) {
    errno = EIO;
    return -1;
  }});
  ts->sys.settingsStore = &failingFlush;
  EXPECT_FALSE(writeSettings(ts->sys, file()));
  EXPECT_EQ(contents(file()), joined(lines));
  EXPECT_EQ(folderEntries(), (std::set<std::string>{"Sorvant.ini"}));

  // A folder that takes no new files (C:/ to a standard account) while the file itself may be changed:
  // the file is rewritten where it stands, cut to its new length, nothing left beside it.
  // The same wherever no new file can be made, for whatever reason: no permission, no inodes left
  // (a full tmpfs, a full FAT root folder), a quota, no descriptors left.
  static int refusal = 0;
  std::vector<int> refusals{EACCES, EPERM, ENOSPC, EMFILE, ENFILE};
#ifdef EDQUOT
  refusals.push_back(EDQUOT);  // quotas: Windows' C runtime has no such error
#endif
  for (const int error : refusals) {
    lines = defaultLines();
    lines[40] = "3";
    lines.push_back("a line after the last");
    store(joined(lines));
    ts = start();
    ts->port.setCommPort(9);
    refusal = error;
    FileSystemStore refusing({.createNewFile = [](const fs::path&) {
      errno = refusal;
      return -1;
    }});
    ts->sys.settingsStore = &refusing;
    const bool written = writeSettings(ts->sys, file());
    EXPECT_TRUE(written) << error;
    EXPECT_EQ(linesOf(contents(file())).size(), 46u) << error;
    EXPECT_EQ(linesOf(contents(file()))[40], "9") << error;
    EXPECT_EQ(folderEntries(), (std::set<std::string>{"Sorvant.ini"})) << error;
  }
  // A new file that can be made but not filled (no room left for its blocks): the old file's own
  // blocks take the new content, and the temporary file goes.
  static int flushes = 0;
  flushes = 0;
  FileSystemStore fullDisk({.flushToDisk = [](int fd) {
    if (flushes++ > 0) return os::flushToDisk(fd);
    errno = ENOSPC;
    return -1;
  }});
  ts->sys.settingsStore = &fullDisk;
  ts->port.setCommPort(10);
  EXPECT_TRUE(writeSettings(ts->sys, file()));
  EXPECT_EQ(linesOf(contents(file()))[40], "10");
  EXPECT_EQ(folderEntries(), (std::set<std::string>{"Sorvant.ini"}));
  FileSystemStore noNewFiles({.createNewFile = [](const fs::path&) {
    errno = EACCES;
    return -1;
  }});
  // With no file there yet (a copy run without its installer) nothing can be kept, and start-up says
  // so where the operator can see it, standard error being shown nowhere on Windows.
  fs::remove(file());
  testing::internal::CaptureStderr();
  ts = std::make_unique<TestSystem>(false, false);
  TestSystem::useConfigFolder(ts->sys, folder_);
  ts->sys.settingsStore = &noNewFiles;
  loadSystem(ts->sys);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_NE(said.find("cannot be made in"), std::string::npos) << said;
  EXPECT_NE(ts->sys.main.CmdButton_QUIT.toolTip.find("changes will not be saved"), std::string::npos);
  EXPECT_NE(said.find(ts->sys.main.CmdButton_QUIT.toolTip), std::string::npos) << said;
  store(joined(lines));
  ts = start();
  EXPECT_EQ(ts->sys.main.CmdButton_QUIT.toolTip, "");

  // The real thing, where it binds (an administrator may make files anywhere): a damaged file there
  // cannot be kept aside, so it stays until the end of the run saves over it, and that is said.
  if (!kWindows && !isRoot()) {
    lines = defaultLines();
    lines.pop_back();
    store(joined(lines));
    fs::permissions(file().parent_path(), fs::perms(0555));
    testing::internal::CaptureStderr();
    ts = start();
    EXPECT_EQ(ts->port.commPort(), 1);
    EXPECT_EQ(contents(file()), joined(lines));
    ts->port.setCommPort(8);
    unloadSystem(ts->sys);
    const std::string said = testing::internal::GetCapturedStderr();
    fs::permissions(file().parent_path(), fs::perms(0755));
    EXPECT_NE(said.find("could not be kept aside"), std::string::npos) << said;
    EXPECT_EQ(linesSaid(said), 1u) << said;
    EXPECT_EQ(linesOf(contents(file()))[40], "8");
    EXPECT_EQ(folderEntries(), (std::set<std::string>{"Sorvant.ini"}));
  }
}

// A FIFO, a device or a socket where the file belongs, or a link to one, is neither waited on nor
// replaced; nor is a file that cannot be read. One line says what was read and what will be kept.
TEST_F(SettingsTest, OnlyARegularFileIsReadOrReplacedAndWhatIsNotReadIsSaidSo) {
#ifdef _WIN32
  GTEST_SKIP() << "FIFOs and file modes are Linux and Unix only";
#else
  const fs::path fifo = folder_ / "fifo";
  for (const bool linked : {false, true}) {
    fs::remove_all(folder_);
    fs::create_directories(file().parent_path());
    if (linked) {
      ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
      fs::create_symlink(fifo, file());
    } else {
      ASSERT_EQ(::mkfifo(file().c_str(), 0644), 0);
    }
    testing::internal::CaptureStderr();
    auto ts = start();
    EXPECT_EQ(ts->sys.opt.Label_HEADING_CORRECTION.caption, "000 WEST");
    ts->port.setCommPort(6);
    unloadSystem(ts->sys);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("a FIFO, not a regular file: nothing was read"), std::string::npos) << said;
    EXPECT_NE(said.find("will not be saved"), std::string::npos) << said;
    EXPECT_EQ(linesSaid(said), 1u) << said;
    EXPECT_TRUE(fs::is_fifo(fs::status(file())));
    EXPECT_EQ(fs::is_symlink(fs::symlink_status(file())), linked);
    EXPECT_EQ(folderEntries(), (std::set<std::string>{"Sorvant.ini"}));
  }

  if (isRoot()) return;  // an administrator reads any file
  std::vector<std::string> lines = defaultLines();
  lines[40] = "3";
  store(joined(lines));
  fs::permissions(file(), fs::perms::none);
  testing::internal::CaptureStderr();
  auto ts = start();
  EXPECT_EQ(ts->port.commPort(), 1);
  ts->port.setCommPort(6);
  unloadSystem(ts->sys);
  const std::string said = testing::internal::GetCapturedStderr();
  fs::permissions(file(), fs::perms(0644));
  EXPECT_NE(said.find("cannot be read (Permission denied): nothing was read, the default settings are in use"),
            std::string::npos)
      << said;
  EXPECT_EQ(said.find("read from it"), std::string::npos) << said;
  EXPECT_EQ(linesSaid(said), 1u) << said;
  EXPECT_EQ(contents(file()), joined(lines));
#endif
}

TEST_F(SettingsTest, TheWriterUsesAFileOfItsOwnAndFlushesItBeforeTheRename) {
  store(defaultFile());
  // Another writer's temporary file, under the name every writer once shared, is not touched.
  std::ofstream(folder_ / "sorvant" / "Sorvant.ini.tmp", std::ios::binary) << defaultFile();
  // What writers killed mid-write left: cleared once old enough to belong to no write going on.
  std::ofstream(folder_ / "sorvant" / "Sorvant.ini.k1ll3d.tmp") << "5602168\r\n";
  std::ofstream(folder_ / "sorvant" / "Sorvant.ini.fresh1.tmp") << "5602168\r\n";
  fs::last_write_time(folder_ / "sorvant" / "Sorvant.ini.k1ll3d.tmp",
                      fs::file_time_type::clock::now() - std::chrono::hours(1));
  fs::permissions(file(), fs::perms(0600));
  auto ts = start();
  static std::vector<std::string> seenAtFlush;
  static fs::path watched;
  watched = file();
  seenAtFlush.clear();
  FileSystemStore watching({.flushToDisk = [](int fd) {
    seenAtFlush.push_back(contents(watched));
    return os::flushToDisk(fd);
  }});
  ts->sys.settingsStore = &watching;
  ts->sys.opt.HEADING_CORRECTION = 11;
  const bool written = writeSettings(ts->sys, file());
  ts->sys.settingsStore = nullptr;
  ASSERT_TRUE(written);
  // The data first, while the old file is still in place, then (where folders can be flushed: not on
  // Windows) the folder holding the new name.
  ASSERT_EQ(seenAtFlush.size(), kWindows ? 1u : 2u);
  EXPECT_EQ(seenAtFlush[0], defaultFile());
  if (!kWindows) {
    EXPECT_EQ(linesOf(seenAtFlush[1])[45], "10");
  }
  EXPECT_EQ(linesOf(contents(file()))[45], "10");
  EXPECT_EQ(contents(folder_ / "sorvant" / "Sorvant.ini.tmp"), defaultFile());
  EXPECT_EQ(folderEntries(), (std::set<std::string>{"Sorvant.ini", "Sorvant.ini.tmp", "Sorvant.ini.fresh1.tmp"}));
  if (!kWindows) {
    EXPECT_EQ(fs::status(file()).permissions(), fs::perms(0600));  // Windows has no such modes
  }
#ifndef _WIN32
  // Run as administrator on a user's file (sudo): the replaced file stays the user's, and a new one
  // in the user's folder becomes the user's.
  if (isRoot()) {
    ASSERT_EQ(::chown(file().c_str(), 4321, 4322), 0);
    ASSERT_TRUE(writeSettings(ts->sys, file()));
    struct stat info = {};
    ASSERT_EQ(::stat(file().c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4322u);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    fs::remove(file());
    ASSERT_EQ(::chown(file().parent_path().c_str(), 4323, 4324), 0);
    ASSERT_TRUE(writeSettings(ts->sys, file()));
    ASSERT_EQ(::stat(file().c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4323u);
    EXPECT_EQ(info.st_gid, 4324u);
  }
#endif
}

// A settings file kept elsewhere (a USB stick, a synced folder) and linked into the config folder: a damaged
// one is kept beside the link and the defaults go where the link leads; a save replaces the target and keeps
// the link.
void SettingsTest::checkLinkedFile() {
  const fs::path stick = folder_ / "stick";
  fs::create_directories(stick);
  std::vector<std::string> lines = defaultLines();
  lines[40] = "3";
  lines.pop_back();  // damaged: the defaults go where the link leads, the damage is kept beside it
  std::ofstream(stick / "Sorvant.ini", std::ios::binary) << joined(lines);
  fs::create_directories(file().parent_path());
  fs::create_symlink(stick / "Sorvant.ini", file());
  auto ts = start();
  EXPECT_EQ(contents(bad()), joined(lines));
  EXPECT_EQ(contents(stick / "Sorvant.ini"), defaultFile());
  ts->port.setCommPort(6);
  unloadSystem(ts->sys);
  EXPECT_TRUE(fs::is_symlink(file()));
  EXPECT_EQ(linesOf(contents(stick / "Sorvant.ini"))[40], "6");
  EXPECT_EQ(start()->port.commPort(), 6);

  // A link to a file that is not there (the stick not plugged in) is no damage: the defaults are in
  // use and nothing is said, nothing kept aside; only a save at the end that fails is told.
  fs::remove_all(stick);
  testing::internal::CaptureStderr();
  ts = start();
  EXPECT_EQ(linesSaid(testing::internal::GetCapturedStderr()), 0u);
  EXPECT_EQ(ts->sys.main.CmdButton_QUIT.toolTip, "");
  EXPECT_EQ(ts->port.commPort(), 1);
  EXPECT_FALSE(fs::exists(folder_ / "sorvant" / "Sorvant.ini.bad.1"));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(writeSettings(ts->sys, file()));
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("not saved: " + (stick / "Sorvant.ini").string() + " (linked from " + file().string() + ")"),
            std::string::npos)
      << said;
  // Plugged in, still without the file: it is made through the link, which stays a link.
  fs::create_directories(stick);
  ts = start();
  ts->port.setCommPort(7);
  unloadSystem(ts->sys);
  EXPECT_TRUE(fs::is_symlink(file()));
  EXPECT_EQ(linesOf(contents(stick / "Sorvant.ini"))[40], "7");
}

TEST_F(SettingsTest, ALinkedFileStaysLinkedAndAWriteProtectedOneIsReadButNeverReplaced) {
  // Symbolic links need an administrator on Windows (and Wine has none): the link half is Linux and Unix
  // only, the write-protected half runs everywhere.
  if (!kWindows) checkLinkedFile();

  // Locked by the operator (which binds even an administrator): read, kept as it is, said once.
  std::vector<std::string> lines = defaultLines();
  lines[40] = "4";
  store(joined(lines));
  fs::permissions(file(), fs::perms(0444));
  testing::internal::CaptureStderr();
  auto ts = start();
  EXPECT_EQ(ts->port.commPort(), 4);
  ts->port.setCommPort(7);
  unloadSystem(ts->sys);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("will not be saved"), std::string::npos);
  EXPECT_EQ(said.find("will not be saved"), said.rfind("will not be saved"));
  EXPECT_EQ(contents(file()), joined(lines));
  EXPECT_EQ(fs::status(file()).permissions() & fs::perms::owner_write, fs::perms::none);

  lines.pop_back();  // even damaged: the defaults apply from memory
  fs::permissions(file(), fs::perms(0644));
  store(joined(lines));
  fs::permissions(file(), fs::perms(0444));
  testing::internal::CaptureStderr();
  EXPECT_EQ(start()->port.commPort(), 1);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(contents(file()), joined(lines));
  EXPECT_FALSE(fs::exists(bad()));
  fs::permissions(file(), fs::perms(0644));  // Windows will not delete a read-only file
}

#ifndef _WIN32
// A file with more than one name (hard links into two config folders) is one file: a save keeps every
// name on the new content, and damage is kept aside as a copy while the defaults go where it stands.
TEST_F(SettingsTest, AFileWithOtherNamesKeepsThemWhenSavedOrFoundDamaged) {
  std::vector<std::string> lines = defaultLines();
  lines[40] = "3";
  store(joined(lines));
  const fs::path other = folder_ / "other" / "Sorvant.ini";
  fs::create_directories(other.parent_path());
  fs::create_hard_link(file(), other);
  auto ts = start();
  EXPECT_EQ(ts->port.commPort(), 3);
  ts->port.setCommPort(5);
  unloadSystem(ts->sys);
  EXPECT_EQ(fs::hard_link_count(file()), 2u);
  EXPECT_EQ(linesOf(contents(other))[40], "5");

  lines.pop_back();
  std::ofstream(other, std::ios::binary) << joined(lines);
  ts = start();
  EXPECT_EQ(contents(bad()), joined(lines));
  EXPECT_EQ(fs::hard_link_count(file()), 2u);
  EXPECT_EQ(contents(other), defaultFile());
}

// A config folder named in Latin-1 (not UTF-8): read, written, its damage kept aside, its name shown
// byte for byte where it is not text, and its COMn links opened by the device they lead to.
TEST_F(SettingsTest, AFolderNamedInLatin1IsReadWrittenAndNamedInMessages) {
  const fs::path latin = folder_ / "caf\xe9";
  const fs::path named = latin / "sorvant" / "Sorvant.ini";
  fs::create_directories(named.parent_path());
  std::vector<std::string> lines = defaultLines();
  lines[40] = "3";
  std::ofstream(named, std::ios::binary) << joined(lines);
  auto ts = std::make_unique<TestSystem>(false, false);
  TestSystem::useConfigFolder(ts->sys, latin);
  ASSERT_EQ(settingsPath(), named);
  loadSystem(ts->sys);
  EXPECT_EQ(ts->port.commPort(), 3);
  ts->port.setCommPort(6);
  unloadSystem(ts->sys);
  EXPECT_EQ(linesOf(contents(named))[40], "6");

  fs::create_symlink("/dev/null", latin / "sorvant" / "COM1");
  EXPECT_EQ(comPortPath(1), "/dev/null");
  const std::string shown = (folder_ / "caf\\xE9" / "sorvant" / "COM1").string();
  EXPECT_EQ(comPortDescription(1), "/dev/null (linked from " + shown + ")");

  // Damaged and write-protected: both are said, with the defaults in use.
  lines.pop_back();
  std::ofstream(named, std::ios::binary) << joined(lines);
  fs::permissions(named, fs::perms(0444));
  testing::internal::CaptureStderr();
  ts = std::make_unique<TestSystem>(false, false);
  TestSystem::useConfigFolder(ts->sys, latin);
  loadSystem(ts->sys);
  const std::string said = testing::internal::GetCapturedStderr();
  fs::permissions(named, fs::perms(0644));
  EXPECT_EQ(ts->port.commPort(), 1);
  EXPECT_EQ(linesSaid(said), 1u) << said;
  const std::string expected = (folder_ / "caf\\xE9" / "sorvant" / "Sorvant.ini").string() +
                               " is damaged and is write-protected: it was left as it is, the default settings are "
                               "in use and changes will not be saved";
  EXPECT_NE(said.find(expected), std::string::npos) << said;
  EXPECT_EQ(ts->sys.main.CmdButton_QUIT.toolTip, expected);
  EXPECT_EQ(contents(named), joined(lines));
}
#endif

TEST_F(SettingsTest, PathFollowsAnAbsoluteXdgConfigHomeOnly) {
  if (kWindows) GTEST_SKIP() << "Linux and Unix only: Windows keeps the settings at C:/Sorvant.ini";
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  setEnv("HOME", "/home/op");
  setEnv("XDG_CONFIG_HOME", "/cfg");
  EXPECT_EQ(settingsPath(), fs::path("/cfg/sorvant/Sorvant.ini"));
  setEnv("XDG_CONFIG_HOME", "cfg");
  EXPECT_EQ(settingsPath(), fs::path("/home/op/.config/sorvant/Sorvant.ini"));
  unsetEnv("XDG_CONFIG_HOME");
  EXPECT_EQ(settingsPath(), fs::path("/home/op/.config/sorvant/Sorvant.ini"));
  setEnv("HOME", home);
}

}  // namespace
}  // namespace sorvant::test
