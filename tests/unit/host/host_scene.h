// A fresh simulated Windows for each test: drive C: mapped to a new host
// folder that is removed afterwards.
#ifndef UPDATER_TESTS_UNIT_HOST_HOST_SCENE_H
#define UPDATER_TESTS_UNIT_HOST_HOST_SCENE_H

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/host/host_control.h"

class HostScene : public ::testing::Test {
 protected:
  void SetUp() override {
    HostReset();
    std::string pattern =
        (std::filesystem::temp_directory_path() / "updater-host-XXXXXX")
            .string();
    ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
    root_ = pattern;
    HostMapDrive('C', root_.c_str());
  }

  void TearDown() override {
    HostReset();
    std::error_code error;
    std::filesystem::remove_all(root_, error);
  }

  std::string Host(const std::string& relative) const {
    return root_ + "/" + relative;
  }

  void Write(const std::string& relative, const std::string& bytes) {
    std::filesystem::create_directories(
        std::filesystem::path(Host(relative)).parent_path());
    std::ofstream out(Host(relative), std::ios::binary);
    out << bytes;
  }

  std::string Read(const std::string& relative) const {
    std::ifstream in(Host(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  bool Exists(const std::string& relative) const {
    return std::filesystem::exists(Host(relative));
  }

  std::string root_;
};

#endif
