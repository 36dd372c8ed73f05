// Runs a fuzz target on files, without libFuzzer: every file named, and every file in every folder named, in
// name order. The seed corpus and every input that once broke a property run so as ordinary tests.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_support.hpp"

namespace {

std::vector<std::filesystem::path> inputs_in(const std::filesystem::path& path) {
  std::vector<std::filesystem::path> found;
  if (!std::filesystem::is_directory(path)) {
    found.push_back(path);
    return found;
  }
  for (const auto& entry : std::filesystem::directory_iterator(path)) {
    if (entry.is_regular_file()) found.push_back(entry.path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    if (!std::filesystem::exists(argv[i])) continue;  // a target without inputs that once failed
    for (const std::filesystem::path& input : inputs_in(argv[i])) {
      std::ifstream in(input, std::ios::binary);
      if (!in) {
        std::cerr << "cannot read " << input << "\n";
        return 1;
      }
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      std::cout << "replaying " << input.filename().string() << std::endl;  // names the input before a crash
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  std::cout << "replayed " << replayed << " inputs\n";
  return replayed == 0 ? 1 : 0;  // a target without any input tests nothing
}
