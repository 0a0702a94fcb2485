// A temporary directory per test, removed by its destructor even when an assertion fails.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace wiztest {

class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        // Each test process starts from names of its own, so that parallel tests seldom try the
        // same name (a taken name is skipped anyway).
        static const unsigned seed = std::random_device{}();
        auto base = std::filesystem::temp_directory_path();
        for (int i = 0;; ++i) {
            path_ = base / ("wiztest-" + std::to_string(seed) + "-" + std::to_string(counter++));
            std::error_code ec;
            if (std::filesystem::create_directory(path_, ec)) break;
            if (i > 100) throw std::runtime_error("cannot create a temporary directory");
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    // Writes bytes exactly as given (binary).
    std::string write(const std::string& name, const std::string& bytes) const {
        std::string p = file(name);
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path path_;
};

}  // namespace wiztest
