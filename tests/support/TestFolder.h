#pragma once

#include <gtest/gtest.h>

#include <filesystem>

namespace om6211::testing {

// An empty folder of the running test's own below `parent`, for the files of its processes.
inline std::filesystem::path freshTestFolder(const std::filesystem::path& parent) {
  const std::filesystem::path folder =
      parent / ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

}  // namespace om6211::testing
