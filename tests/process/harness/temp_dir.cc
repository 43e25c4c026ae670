#include "harness/temp_dir.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "harness/files.h"

namespace harness {

TempDir::TempDir(const std::string& prefix) {
  std::string pattern = "/tmp/" + prefix + ".XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  path_ = buffer.data();
}

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::Path(const std::string& name) const { return path_ + "/" + name; }

std::string TempDir::WriteFile(const std::string& name, const std::string& bytes) const {
  const std::string full = Path(name);
  EXPECT_TRUE(WriteFileBytes(full, bytes)) << "cannot write " << full;
  return full;
}

}  // namespace harness
