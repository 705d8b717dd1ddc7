#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace lightmatrix::testing_support {

// A directory of its own for the files one test writes, removed with the object.
class ScratchDir {
  public:
    explicit ScratchDir(const std::string& tag = "test") {
        path_ = std::filesystem::temp_directory_path() / ("lightmatrix-" + tag + "-XXXXXX");
        if (mkdtemp(path_.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

}  // namespace lightmatrix::testing_support
