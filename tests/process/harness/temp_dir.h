// A private directory under /tmp that disappears with the object.
#ifndef TUNARO_TESTS_PROCESS_HARNESS_TEMP_DIR_H_
#define TUNARO_TESTS_PROCESS_HARNESS_TEMP_DIR_H_

#include <string>

namespace harness {

class TempDir {
 public:
  // Makes /tmp/<prefix>.XXXXXX; aborts the test program if that fails, since
  // nothing after it could work.
  explicit TempDir(const std::string& prefix = "tunaro-test");
  ~TempDir();  // removes the tree
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // `path()/name`; the file need not exist.
  std::string Path(const std::string& name) const;
  // Writes `bytes` exactly to `path()/name` and returns the full path; adds a
  // test failure when it cannot.
  std::string WriteFile(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};

}  // namespace harness

#endif  // TUNARO_TESTS_PROCESS_HARNESS_TEMP_DIR_H_
