// Windows file-system semantics as one set of rows, compiled into the host
// test program (the host backend on real folders) and into the Win32 test
// program (the real calls, under Wine here): both must pass the same rows.
// Each program gives the rows its backend.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace merkwandel::testing {

// A backend under test with a fresh, empty folder of its own. The rows lay
// files out and read them back with the C++ library's file calls, not
// through the backend. Paths are Windows paths in UTF-8.
class TestBackend {
 public:
  virtual ~TestBackend() = default;
  virtual platform::FileSystem& Files() = 0;
  // The folder, without trailing "\".
  virtual std::string Root() = 0;
  // A path as the C++ library's file calls take it.
  virtual std::filesystem::path Local(const std::string& path) = 0;
  // platform::kAttributeReadOnly, ...Hidden, ...System. The host knows a
  // hidden file by its name alone, which starts with ".".
  virtual void SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
  // Another program holds the file open for reading and writing, letting
  // others do the same (`share`) or nothing, until the result goes. Null
  // where no program can hold a file so (the host).
  virtual std::shared_ptr<void> Hold(const std::string& path, bool share) = 0;
};

// Defined by each test program for its backend.
std::unique_ptr<TestBackend> MakeTestBackend();

}  // namespace merkwandel::testing
