// patchmaker as its users run it: a folder of files with known time stamps
// packed, listed, tested and extracted again; damaged and truncated
// archives; names it must not write; and its help and usage errors.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "archive/descramble.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
typedef std::vector<uint8_t> Bytes;

struct Result {
  bool Exited = false;  // ended by exit, not by a signal
  int Status = -1;
  std::string Out;
  std::string Err;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

uint32_t GetLE32(const std::string& bytes, size_t at) {
  return (uint32_t)(uint8_t)bytes[at] | (uint32_t)(uint8_t)bytes[at + 1] << 8 |
         (uint32_t)(uint8_t)bytes[at + 2] << 16 | (uint32_t)(uint8_t)bytes[at + 3] << 24;
}

// 2024-05-01T12:34:56Z plus 123456700 ns: a time a FILETIME holds exactly.
const time_t kSeconds = 1714566896;
const long kNanoseconds = 123456700;

class Patchmaker : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "patchmaker-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
    root_ = pattern;
    fs::create_directory(root_ / "in");
    std::string random;
    uint32_t seed = 12345;
    for (int i = 0; i < 5000; i++) {
      seed = seed * 1103515245u + 12345u;
      random.push_back((char)(seed >> 24));
    }
    std::string repeated;
    for (int i = 0; i < 100000; i++) repeated.push_back("repeated text "[i % 14]);
    AddInput("UPDATE.INI", "[SETUP]\r\nCompanyName=Company\r\n", 0);
    AddInput("data.bin", random, 3600);
    AddInput("empty.txt", "", -86400);
    AddInput("rep.dat", repeated, 1);
  }

  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  void AddInput(const std::string& name, const std::string& bytes, long offset) {
    fs::path path = root_ / "in" / name;
    WriteFile(path, bytes);
    struct timespec times[2];
    times[0].tv_sec = kSeconds + offset;
    times[0].tv_nsec = kNanoseconds;
    times[1] = times[0];
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    inputs_.push_back(name);
    contents_.push_back(bytes);
  }

  std::vector<std::string> InputPaths() const {
    std::vector<std::string> paths;
    for (const std::string& name : inputs_) paths.push_back((root_ / "in" / name).string());
    return paths;
  }

  Result Run(const std::vector<std::string>& arguments) {
    std::vector<std::string> all = {PATCHMAKER_PROGRAM};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all) argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    std::string outPath = (root_ / "stdout").string();
    std::string errPath = (root_ / "stderr").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Result result;
    pid_t child;
    int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(spawned, 0) << "cannot start " << argv[0];
    if (spawned != 0) return result;
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    result.Exited = WIFEXITED(status);
    result.Status = result.Exited ? WEXITSTATUS(status) : -1;
    result.Out = ReadFile(outPath);
    result.Err = ReadFile(errPath);
    return result;
  }

  // A failure as patchmaker must report it: exit status 1 (2 for a usage
  // error), one line on stderr naming the program.
  void ExpectCleanError(const Result& result, int status, const std::string& mention) {
    EXPECT_TRUE(result.Exited) << "ended by a signal";
    EXPECT_EQ(result.Status, status);
    std::vector<std::string> lines = Lines(result.Err);
    ASSERT_EQ(lines.size(), 1u) << result.Err;
    EXPECT_EQ(lines[0].rfind("patchmaker: ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(mention), std::string::npos) << lines[0];
  }

  std::string Pack(const std::vector<std::string>& options) {
    std::string archive = (root_ / "out.jq2").string();
    std::vector<std::string> arguments = {"pack"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.push_back(archive);
    for (const std::string& path : InputPaths()) arguments.push_back(path);
    Result result = Run(arguments);
    EXPECT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Err, "");
    return archive;
  }

  fs::path root_;
  std::vector<std::string> inputs_;
  std::vector<std::string> contents_;
};

struct PackMode {
  const char* Label;
  std::vector<std::string> Options;
  const char* Compressed;
  const char* Scrambled;
};

void PrintTo(const PackMode& mode, std::ostream* out) { *out << mode.Label; }

class PackModes : public Patchmaker, public ::testing::WithParamInterface<PackMode> {};

TEST_P(PackModes, PackListTestExtractRoundTrip) {
  const PackMode& mode = GetParam();
  std::string archive = Pack(mode.Options);

  Result list = Run({"list", archive});
  ASSERT_EQ(list.Status, 0) << list.Err;
  std::vector<std::string> rows = Lines(list.Out);
  ASSERT_EQ(rows.size(), inputs_.size() + 2) << list.Out;
  EXPECT_NE(rows[0].find("Name"), std::string::npos);
  EXPECT_EQ(rows.back(), "4 members");
  const char* stamps[] = {"2024-05-01T12:34:56Z", "2024-05-01T13:34:56Z",
                          "2024-04-30T12:34:56Z", "2024-05-01T12:34:57Z"};
  for (size_t i = 0; i < inputs_.size(); i++) {
    SCOPED_TRACE(inputs_[i]);
    std::istringstream row(rows[i + 1]);
    std::string size, stored, compressed, scrambled, stamp, name;
    row >> size >> stored >> compressed >> scrambled >> stamp >> name;
    EXPECT_EQ(name, inputs_[i]);
    EXPECT_EQ(size, std::to_string(contents_[i].size()));
    EXPECT_EQ(compressed, mode.Compressed);
    EXPECT_EQ(scrambled, mode.Scrambled);
    EXPECT_EQ(stamp, stamps[i]);
    if (std::string(mode.Compressed) == "no") {
      EXPECT_EQ(stored, size);
    } else if (inputs_[i] == "rep.dat") {
      EXPECT_LT(std::stoul(stored), contents_[i].size() / 10);
    }
  }

  Result test = Run({"test", archive});
  EXPECT_EQ(test.Status, 0) << test.Err;
  EXPECT_EQ(test.Err, "");
  EXPECT_NE(test.Out.find("ok   data.bin"), std::string::npos) << test.Out;

  fs::path target = root_ / "extracted" / "deeper";
  Result extract = Run({"extract", archive, "-C", target.string()});
  ASSERT_EQ(extract.Status, 0) << extract.Err;
  EXPECT_EQ(extract.Err, "");
  for (size_t i = 0; i < inputs_.size(); i++) {
    SCOPED_TRACE(inputs_[i]);
    fs::path file = target / inputs_[i];
    // Times first: reading the file may move its last-access time.
    struct stat original, written;
    ASSERT_EQ(stat((root_ / "in" / inputs_[i]).c_str(), &original), 0);
    ASSERT_EQ(stat(file.c_str(), &written), 0);
    EXPECT_EQ(ReadFile(file), contents_[i]);
    EXPECT_EQ(written.st_mtim.tv_sec, original.st_mtim.tv_sec);
    EXPECT_EQ(written.st_mtim.tv_nsec, kNanoseconds);
    EXPECT_EQ(written.st_atim.tv_sec, original.st_mtim.tv_sec);
    EXPECT_EQ(written.st_atim.tv_nsec, kNanoseconds);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PackModes,
    ::testing::Values(PackMode{"Default", {}, "yes", "yes"},
                      PackMode{"Store", {"--store"}, "no", "yes"},
                      PackMode{"StoreShort", {"-0", "--no-scramble"}, "no", "no"},
                      PackMode{"NoScramble", {"--no-scramble"}, "yes", "no"},
                      PackMode{"Directory0", {"--directory-flags", "0"}, "yes", "yes"},
                      PackMode{"Directory1", {"--directory-flags=1"}, "yes", "yes"},
                      PackMode{"Directory2", {"--directory-flags", "2", "-0"}, "no", "yes"}),
    [](const ::testing::TestParamInfo<PackMode>& row) {
      return std::string(row.param.Label);
    });

TEST_F(Patchmaker, DirectoryFlagsReachTheHeader) {
  for (const char* flags : {"0", "1", "2", "3"}) {
    std::string archive = Pack({"--directory-flags", flags});
    std::string bytes = ReadFile(archive);
    ASSERT_GE(bytes.size(), 16u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("JQ2\0", 4));
    EXPECT_EQ(GetLE32(bytes, 4), (uint32_t)(flags[0] - '0'));
    EXPECT_EQ(GetLE32(bytes, 12), 4u);
  }
}

TEST_F(Patchmaker, ExtractsNamedMembersWithoutRegardToCase) {
  std::string archive = Pack({});
  fs::path target = root_ / "picked";
  Result result = Run({"extract", archive, "update.ini", "-C", target.string(), "REP.DAT"});
  EXPECT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(ReadFile(target / "UPDATE.INI"), contents_[0]);
  EXPECT_EQ(ReadFile(target / "rep.dat"), contents_[3]);
  EXPECT_FALSE(fs::exists(target / "data.bin"));

  Result missing = Run({"extract", archive, "nothing.here", "-C", target.string()});
  ExpectCleanError(missing, 1, "nothing.here");
}

TEST_F(Patchmaker, TestNamesTheDamagedMember) {
  // Directory stored plainly so the member's place can be read by hand;
  // its stored bytes then become zeros once descrambled, a stream that
  // reaches back before the start of its output.
  std::string archive = Pack({"--directory-flags", "0"});
  std::string bytes = ReadFile(archive);
  uint32_t offset = 16;
  uint32_t directory = GetLE32(bytes, 8);
  for (size_t i = 0; i < inputs_.size(); i++) {
    size_t record = directory + i * 280;
    uint32_t storedSize = GetLE32(bytes, record + 276);
    if (inputs_[i] == "data.bin") {
      ASSERT_EQ(bytes.substr(record, 9), std::string("data.bin\0", 9));
      Bytes zeros(storedSize, 0);
      Descramble(zeros.data(), storedSize);
      bytes.replace(offset, storedSize, std::string(zeros.begin(), zeros.end()));
    }
    offset += (storedSize + 15) & ~15u;
  }
  WriteFile(archive, bytes);

  Result test = Run({"test", archive});
  EXPECT_TRUE(test.Exited);
  EXPECT_EQ(test.Status, 1);
  EXPECT_NE(test.Out.find("BAD  data.bin"), std::string::npos) << test.Out;
  EXPECT_NE(test.Out.find("ok   UPDATE.INI"), std::string::npos) << test.Out;
  EXPECT_NE(test.Out.find("ok   rep.dat"), std::string::npos) << test.Out;
  std::vector<std::string> errors = Lines(test.Err);
  ASSERT_EQ(errors.size(), 2u) << test.Err;
  EXPECT_EQ(errors[0], "patchmaker: data.bin: its stored bytes do not decode");
  EXPECT_EQ(errors[1], "patchmaker: 1 of 4 members damaged");

  fs::path target = root_ / "partial";
  Result extract = Run({"extract", archive, "-C", target.string()});
  ExpectCleanError(extract, 1, "data.bin");
  EXPECT_EQ(ReadFile(target / "rep.dat"), contents_[3]) << "the sound members";
  EXPECT_FALSE(fs::exists(target / "data.bin"));
}

struct Malformed {
  const char* Label;
  size_t KeepBytes;  // of a real archive; npos: the bytes below instead
  std::string Bytes;
};

void PrintTo(const Malformed& row, std::ostream* out) { *out << row.Label; }

class MalformedArchives : public Patchmaker,
                          public ::testing::WithParamInterface<Malformed> {};

TEST_P(MalformedArchives, GiveOneErrorLine) {
  std::string archive = Pack({});
  std::string bytes = ReadFile(archive);
  const Malformed& c = GetParam();
  bytes = c.KeepBytes == std::string::npos ? c.Bytes : bytes.substr(0, c.KeepBytes);
  WriteFile(archive, bytes);
  for (const char* command : {"list", "test", "extract"}) {
    SCOPED_TRACE(command);
    std::vector<std::string> arguments = {command, archive};
    if (std::string(command) == "extract") {
      arguments.push_back("-C");
      arguments.push_back((root_ / "never").string());
    }
    ExpectCleanError(Run(arguments), 1, "not a readable archive");
  }
  EXPECT_FALSE(fs::exists(root_ / "never"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, MalformedArchives,
    ::testing::Values(Malformed{"Empty", 0, ""}, Malformed{"TenBytes", 10, ""},
                      Malformed{"HeaderOnly", 16, ""}, Malformed{"Half", 2000, ""},
                      Malformed{"Garbage", std::string::npos,
                                std::string(1000, '\xA5')},
                      Malformed{"HugeEntryCount", std::string::npos,
                                std::string("JQ2\0\0\0\0\0\x10\0\0\0\xFF\xFF\xFF\x0F", 16)}),
    [](const ::testing::TestParamInfo<Malformed>& row) {
      return std::string(row.param.Label);
    });

TEST_F(Patchmaker, TruncatedByOneByteIsUnreadable) {
  std::string archive = Pack({});
  std::string bytes = ReadFile(archive);
  WriteFile(archive, bytes.substr(0, bytes.size() - 1));
  ExpectCleanError(Run({"list", archive}), 1, "not a readable archive");
}

TEST_F(Patchmaker, MissingFilesAreReportedByName) {
  std::string nowhere = (root_ / "no-such.jq2").string();
  ExpectCleanError(Run({"list", nowhere}), 1, "no-such.jq2: cannot read");
  ExpectCleanError(Run({"test", root_.string()}), 1, root_.string());
  ExpectCleanError(Run({"pack", (root_ / "x.jq2").string(), nowhere}), 1, "no-such.jq2");
  ExpectCleanError(Run({"pack", (root_ / "x.jq2").string(), (root_ / "in").string()}), 1,
                   "not a regular file");
  EXPECT_FALSE(fs::exists(root_ / "x.jq2"));
}

TEST_F(Patchmaker, RefusesNamesThatAreNotPlainFileNames) {
  // Written by the library, as a foreign builder might: patchmaker itself
  // never packs such names.
  std::vector<ArchiveWriterMember> members(3);
  members[0].Name = "..";
  members[1].Name = ".";
  members[2].Name = "fine.txt";
  for (ArchiveWriterMember& member : members) member.Bytes = {'x', 'y'};
  Bytes image;
  std::string error;
  ASSERT_TRUE(WriteArchive(members, 3, &image, &error)) << error;
  std::string archive = (root_ / "names.jq2").string();
  WriteFile(archive, std::string(image.begin(), image.end()));

  fs::path target = root_ / "box" / "inner";
  Result result = Run({"extract", archive, "-C", target.string()});
  EXPECT_EQ(result.Status, 1);
  std::vector<std::string> errors = Lines(result.Err);
  ASSERT_EQ(errors.size(), 2u) << result.Err;
  EXPECT_EQ(errors[0], "patchmaker: member '..': refused, not a plain file name");
  EXPECT_EQ(errors[1], "patchmaker: member '.': refused, not a plain file name");
  EXPECT_EQ(ReadFile(target / "fine.txt"), "xy");
  EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "box"), {}), 1);
  ExpectCleanError(Run({"extract", archive, "..", "-C", target.string()}), 1, "refused");
}

TEST_F(Patchmaker, PackRefusesTwoFilesOfOneName) {
  fs::create_directory(root_ / "other");
  WriteFile(root_ / "other" / "update.ini", "again");
  Result result = Run({"pack", (root_ / "x.jq2").string(), (root_ / "in" / "UPDATE.INI").string(),
                       (root_ / "other" / "update.ini").string()});
  ExpectCleanError(result, 1, "already packed");
  EXPECT_FALSE(fs::exists(root_ / "x.jq2"));
}

TEST_F(Patchmaker, HelpVersionAndUsageErrors) {
  Result help = Run({"--help"});
  EXPECT_EQ(help.Status, 0);
  for (const char* command : {"pack", "list", "extract", "test"}) {
    EXPECT_NE(help.Out.find(std::string("  ") + command + " "), std::string::npos) << command;
    Result own = Run({command, "--help"});
    EXPECT_EQ(own.Status, 0);
    EXPECT_EQ(own.Out.rfind(std::string("usage: patchmaker ") + command, 0), 0u) << own.Out;
  }
  Result version = Run({"--version"});
  EXPECT_EQ(version.Status, 0);
  EXPECT_EQ(version.Out.rfind("patchmaker ", 0), 0u);

  Result bare = Run({});
  EXPECT_EQ(bare.Status, 2);
  EXPECT_NE(bare.Err.find("usage: patchmaker"), std::string::npos);
  ExpectCleanError(Run({"frobnicate"}), 2, "unknown command 'frobnicate'");
  ExpectCleanError(Run({"pack", "--directory-flags", "4", "a", "b"}), 2, "--directory-flags");
  ExpectCleanError(Run({"pack", "--fast", "a", "b"}), 2, "unknown option '--fast'");
  ExpectCleanError(Run({"pack", "only-out.jq2"}), 2, "no files to pack");
  ExpectCleanError(Run({"list"}), 2, "list takes one archive");
  ExpectCleanError(Run({"extract", "a.jq2", "-C"}), 2, "-C needs a folder");
}

}  // namespace
