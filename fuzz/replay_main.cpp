// Runs a libFuzzer target over stored inputs when the compiler has no
// libFuzzer: every file named on the command line (or found in a directory
// named there) is fed to the target once. The regression inputs live in
// fuzz/corpus/<target>/, each named after what it once broke.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

static int replay(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", file.c_str());
    return 1;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return 0;
}

int main(int argc, char** argv) {
  int failures = 0, inputs = 0;
  for (int i = 1; i < argc; ++i) {
    const fs::path path = argv[i];
    if (fs::is_directory(path)) {
      for (const auto& entry : fs::directory_iterator(path))
        if (entry.is_regular_file()) failures += replay(entry.path()), ++inputs;
    } else {
      failures += replay(path), ++inputs;
    }
  }
  std::printf("%d inputs replayed\n", inputs);
  return failures != 0 || inputs == 0;
}
