// Runs a fuzz harness once on every file of the folders (or files) named on the command line,
// so the inputs that once crashed a parser are tried again by every test run.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::set<fs::path> inputs;  // sorted, so a failure names the same input every time
  for (int i = 1; i < argc; ++i) {
    if (fs::is_directory(argv[i])) {
      for (const auto& entry : fs::directory_iterator(argv[i]))
        if (entry.is_regular_file()) inputs.insert(entry.path());
    } else {
      inputs.insert(argv[i]);
    }
  }
  for (const fs::path& input : inputs) {
    std::printf("%s\n", input.filename().c_str());
    std::fflush(stdout);
    std::ifstream in(input, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("%zu inputs replayed\n", inputs.size());
  return inputs.empty() ? 1 : 0;  // an empty corpus means the test looks in the wrong place
}
