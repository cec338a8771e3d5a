// Every input the fuzzers start from (fuzz/corpus/<target>/) and every input they ever found a
// fault with (fuzz/regressions/<target>/), fed through the same bodies the fuzzers run. A body
// reports a broken rule as a test failure; a memory fault shows under the sanitizer build.
#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "fuzz/targets.h"
#include "tests/test_support.h"

namespace fuzz {
// Test names are the targets' names.
void PrintTo(const Target& target, std::ostream* out) {
  *out << target.name;
}
}  // namespace fuzz

namespace {

namespace fs = std::filesystem;

void ReportBroken(const char* what) {
  ADD_FAILURE() << what;
}

std::vector<fs::path> InputsOf(const std::string& target) {
  std::vector<fs::path> inputs;
  for (const char* kind : {"corpus", "regressions"}) {
    const fs::path dir = fs::path(testing_support::SourceDir()) / "fuzz" / kind / target;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
      if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') {
        inputs.push_back(entry.path());
      }
    }
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

class FuzzInputs : public testing_support::FreshProgram,
                   public ::testing::WithParamInterface<fuzz::Target> {
 protected:
  void SetUp() override {
    FreshProgram::SetUp();
    fuzz::WriteRunDirectory();
    fuzz::SetBrokenHandler(ReportBroken);
  }
  void TearDown() override {
    fuzz::SetBrokenHandler(nullptr);
    FreshProgram::TearDown();
  }
};

TEST_P(FuzzInputs, RunCleanly) {
  const std::vector<fs::path> inputs = InputsOf(GetParam().name);
  // Every target has seeds; an empty list means the tree is not where the test looks.
  ASSERT_FALSE(inputs.empty()) << "no inputs for " << GetParam().name;
  for (const fs::path& input : inputs) {
    SCOPED_TRACE(input.string());
    const std::vector<std::uint8_t> bytes = testing_support::ReadBytes(input.string());
    EXPECT_EQ(GetParam().body(bytes.data(), bytes.size()), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(AllTargets, FuzzInputs, ::testing::ValuesIn(fuzz::Targets),
                         ::testing::PrintToStringParamName());

}  // namespace
