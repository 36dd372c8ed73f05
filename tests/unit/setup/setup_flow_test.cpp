// The whole flow through its seam: which boxes appear with which text, what the result file gets, the exit status.
#include <gtest/gtest.h>

#include <stdexcept>

#include "common/error.hpp"
#include "common/progress.hpp"
#include "fs/filesystem_error.hpp"
#include "fs/path_forms.hpp"
#include "setup/messages.hpp"
#include "setup/progress_meter.hpp"
#include "setup/setup_flow.hpp"
#include "support/test_support.hpp"

namespace tavo::setup {
namespace {

struct Box {
  std::wstring text;
  std::wstring title;
  unsigned type;
};

// Stands in for the progress window: notes when it opens and closes among the other events, and every state shown.
class RecordedProgress final : public ProgressView {
 public:
  RecordedProgress(std::vector<std::string>& events, std::vector<ProgressState>& states)
      : events_(events), states_(states) {}
  void open() noexcept override { events_.push_back("progress"); }
  void show(const ProgressState& state) noexcept override { states_.push_back(state); }
  void close() noexcept override { events_.push_back("progress end"); }

 private:
  std::vector<std::string>& events_;
  std::vector<ProgressState>& states_;
};

// Stands in for the desktop and the later operations, and records what the flow asked of them.
struct FakeSystem : SetupSystem {
  fs::Path exe_dir;
  std::optional<std::vector<std::wstring>> arguments = std::vector<std::wstring>{};
  long com_result = 0;
  std::optional<fs::Path> documents;
  bool original_software = true;
  int confirmation_answer = kIdOk;
  std::function<void()> prepare_failure;
  std::function<std::uint32_t()> binding = [] { return 0u; };

  int com_initialized = 0;
  int com_released = 0;
  int documents_asked = 0;
  std::vector<Box> boxes;
  std::vector<fs::Path> prepared;  // exe_dir, source_dir, target_dir
  std::vector<fs::Path> bound;
  std::optional<std::string> result;
  fs::Path result_path;
  std::vector<std::string> events;
  std::vector<ProgressState> progress_states;
  std::optional<fs::Path> log_file;  // none: the run writes no log
  std::vector<std::string> terminal;

  fs::Path executable_directory() override { return exe_dir; }
  std::optional<std::vector<std::wstring>> command_line_arguments() override { return arguments; }
  long initialize_com() override {
    ++com_initialized;
    events.push_back("com");
    return com_result;
  }
  void uninitialize_com() override {
    ++com_released;
    events.push_back("uncom");
  }
  std::optional<fs::Path> documents_folder() override {
    ++documents_asked;
    return documents;
  }
  int show_message_box(const std::wstring& text, const std::wstring& title, unsigned type) override {
    boxes.push_back({text, title, type});
    events.push_back("box");
    return type == kConfirmationType ? confirmation_answer : kIdOk;
  }
  bool has_original_software(const fs::Path&) override { return original_software; }
  void prepare_installation(const fs::Path& e, const fs::Path& s, const fs::Path& t) override {
    prepared = {e, s, t};
    events.push_back("prepare");
    // The installation's reports, as the transaction, the hashing and the copy make them.
    progress::start_phase(progress::Phase::checking);
    progress::bytes_done(100);
    if (prepare_failure) prepare_failure();
    progress::start_phase(progress::Phase::copying);
    progress::bytes_done(60);
  }
  std::uint32_t ensure_driver_binding(const fs::Path& t) override {
    bound.push_back(t);
    events.push_back("bind");
    // The device check's and the driver installer's reports, as the driver binding makes them.
    progress::start_phase(progress::Phase::checking_device);
    progress::start_phase(progress::Phase::setting_up_driver);
    return binding();
  }
  std::error_code write_result_file(const fs::Path& file, const std::string& content) override {
    result_path = file;
    result = content;
    events.push_back("result");
    return {};
  }
  std::wstring command_line_text() override { return L"tavo-setup"; }
  std::optional<fs::Path> default_log_file() override { return log_file; }
  void tell_terminal(std::string_view line) override { terminal.emplace_back(line); }

  int run() {
    RecordedProgress progress(events, progress_states);
    return run_setup(*this, progress);
  }
};

class SetupFlow : public ::testing::Test {
 protected:
  SetupFlow() {
    system.exe_dir = package.path();
    system.documents = documents.path();
  }

  fs::Path default_target() const {
    return fs::absolute_normal_form(fs::join(documents.path(), L"Tessaroll TAVO-x64"));
  }

  test::TempDir package{L" Paket"};
  test::TempDir documents{L" J\u00fcrgen Wei\u00df"};
  FakeSystem system;
};

TEST_F(SetupFlow, RefusedOrUnreadableCommandLineEndsSilentlyWithStatus2) {
  for (const auto& arguments : {std::optional<std::vector<std::wstring>>{{L"--target"}},
                                std::optional<std::vector<std::wstring>>{}}) {
    FakeSystem fresh;
    fresh.arguments = arguments;
    EXPECT_EQ(fresh.run(), 2);
    EXPECT_EQ(fresh.com_initialized, 0);
    EXPECT_TRUE(fresh.boxes.empty());
    EXPECT_TRUE(fresh.prepared.empty());
    EXPECT_FALSE(fresh.result.has_value());
  }
}

TEST_F(SetupFlow, ATerminalHearsOfARefusalAndOfAPrepareOnlyFailureOnly) {
  struct Case {
    std::vector<std::wstring> arguments;
    bool fails;
    std::size_t lines;
  };
  for (const Case& c : {Case{{L"--bogus"}, false, 2}, Case{{L"--prepare-only"}, true, 1},
                        Case{{L"--prepare-only"}, false, 0}, Case{{}, true, 0}}) {
    FakeSystem run = system;
    run.arguments = c.arguments;
    if (c.fails) run.prepare_failure = [] { throw Error("Payload checksum mismatch", "listed a, computed b"); };
    run.run();
    ASSERT_EQ(run.terminal.size(), c.lines) << c.arguments.size() << " arguments";
    if (c.lines == 1) EXPECT_EQ(run.terminal[0], "Payload checksum mismatch");
    if (c.lines == 2) EXPECT_EQ(run.terminal[1].rfind("Usage: ", 0), 0u) << run.terminal[1];
  }
}

TEST_F(SetupFlow, TheLogHoldsTheFailureWithItsReasonAndTheExitStatus) {
  test::TempDir logs;
  system.log_file = fs::join(logs.path(), L"lauf.log");
  system.arguments = {L"--prepare-only"};
  system.prepare_failure = [] {
    throw fs::FileSystemError("copy_file", std::make_error_code(std::errc::io_error), fs::Path(L"quelle"),
                              fs::Path(L"ziel"));
  };
  EXPECT_EQ(system.run(), 1);
  const std::string log = test::read_file(*system.log_file);
  EXPECT_NE(log.find("Failed operation: copy_file, system code " + std::to_string(EIO)), std::string::npos) << log;
  EXPECT_NE(log.find("\"quelle\", \"ziel\""), std::string::npos) << log;
  EXPECT_NE(log.find("Exit status 1 (failed)"), std::string::npos) << log;
}

TEST_F(SetupFlow, PrepareOnlyShowsNoBoxAndSkipsTheDeviceCheck) {
  system.arguments = {L"--prepare-only"};
  EXPECT_EQ(system.run(), 0);
  EXPECT_TRUE(system.boxes.empty());
  EXPECT_TRUE(system.bound.empty());
  EXPECT_EQ(system.result, kSuccessReport);
  EXPECT_EQ(system.result_path, fs::join(package.path(), L"Setup-Ergebnis.txt"));
  ASSERT_EQ(system.prepared.size(), 3u);
  EXPECT_EQ(system.prepared[0], package.path());
  EXPECT_EQ(system.prepared[1], fs::absolute_normal_form(fs::join(package.path(), L"Originalsoftware")));
  EXPECT_EQ(system.prepared[2], default_target());
  EXPECT_EQ(system.events, (std::vector<std::string>{"com", "prepare", "result", "uncom"}));
}

TEST_F(SetupFlow, ConfirmedRunReportsTheBindingInTheCompletionBox) {
  struct Case {
    std::uint32_t status;
    const std::wstring* text;
  };
  for (const Case c : {Case{0, &kBindingReadyText}, Case{3, &kBindingMissingText}, Case{5, &kBindingMissingText}}) {
    FakeSystem run = system;
    run.binding = [&c] { return c.status; };
    EXPECT_EQ(run.run(), 0);
    const std::wstring target = default_target().text();
    ASSERT_EQ(run.boxes.size(), 2u);
    EXPECT_EQ(run.boxes[0].title, L"TAVO Windows 10 x64 \u2013 Setup");
    EXPECT_EQ(run.boxes[0].type, 0x41u);
    EXPECT_EQ(run.boxes[0].text, L"TAVO-Editor und USB-Bruecke werden eingerichtet.\n\nZielordner:\n" + target +
                                     L"\n\nDie Originalsoftware ist im Paket enthalten. Eine vorhandene Installation "
                                     L"wird nicht ueberschrieben. Fortfahren?");
    EXPECT_EQ(run.boxes[1].title, L"TAVO x64");
    EXPECT_EQ(run.boxes[1].type, 0x40u);
    EXPECT_EQ(run.boxes[1].text, *c.text + L"\n\n" + target);
    EXPECT_EQ(run.bound, std::vector<fs::Path>{default_target()});
    // The result file is written only after the completion box has been closed.
    EXPECT_EQ(run.events, (std::vector<std::string>{"com", "box", "progress", "prepare", "bind", "progress end", "box",
                                                    "result", "uncom"}));
    EXPECT_EQ(run.result, kSuccessReport);
  }
}

TEST_F(SetupFlow, CancelledConfirmationEndsWithStatus2AndNoResultFile) {
  for (int answer : {kIdCancel, 0, 7}) {
    FakeSystem run = system;
    run.confirmation_answer = answer;
    EXPECT_EQ(run.run(), 2);
    EXPECT_TRUE(run.prepared.empty());
    EXPECT_FALSE(run.result.has_value());
    EXPECT_EQ(run.com_released, 1);
  }
}

TEST_F(SetupFlow, FailureIsReportedInTheResultFileBeforeTheFailureBox) {
  system.prepare_failure = [] { throw Error("Payload checksum mismatch"); };
  EXPECT_EQ(system.run(), 1);
  EXPECT_EQ(system.result, "ERROR\nPayload checksum mismatch\n");
  ASSERT_EQ(system.boxes.size(), 2u);
  EXPECT_EQ(system.boxes[1].title, L"TAVO x64");
  EXPECT_EQ(system.boxes[1].type, 0x10u);
  EXPECT_EQ(system.boxes[1].text, kFailureText);
  EXPECT_EQ(system.events,
            (std::vector<std::string>{"com", "box", "progress", "prepare", "progress end", "result", "box", "uncom"}));
}

TEST_F(SetupFlow, FileSystemErrorsAndDeviceCheckFailuresTakeTheFailurePath) {
  FakeSystem fs_failure = system;
  fs_failure.arguments = {L"--prepare-only"};
  const fs::Path staging = fs::join(package.path(), L"a");
  const fs::Path target = fs::join(package.path(), L"b");
  const fs::FileSystemError failure("Cannot finalize installation", system_error_code(5), staging, target);
  fs_failure.prepare_failure = [&] { throw failure; };
  EXPECT_EQ(fs_failure.run(), 1);
  EXPECT_EQ(fs_failure.result, "ERROR\n" + std::string(failure.what()) + "\n");
  EXPECT_TRUE(fs_failure.boxes.empty());

  FakeSystem device_failure = system;
  device_failure.binding = []() -> std::uint32_t { throw Error("Cannot start device helper"); };
  EXPECT_EQ(device_failure.run(), 1);
  EXPECT_EQ(device_failure.result, "ERROR\nCannot start device helper\n");
  EXPECT_EQ(device_failure.boxes.back().text, kFailureText);
}

TEST_F(SetupFlow, MissingOriginalSoftwareIsReportedBeforeTheDocumentsFolderIsAsked) {
  system.original_software = false;
  system.documents.reset();
  EXPECT_EQ(system.run(), 1);
  EXPECT_EQ(system.result, "ERROR\nBundled original software missing\n");
  EXPECT_EQ(system.documents_asked, 0);
  ASSERT_EQ(system.boxes.size(), 1u);  // no confirmation, only the failure box
  EXPECT_EQ(system.boxes[0].type, 0x10u);
}

TEST_F(SetupFlow, DocumentsFolderIsAskedOnlyWithoutATarget) {
  FakeSystem without = system;
  without.documents.reset();
  without.arguments = {L"--prepare-only"};
  EXPECT_EQ(without.run(), 1);
  EXPECT_EQ(without.result, "ERROR\nDocuments folder unavailable\n");

  FakeSystem empty_value = system;
  empty_value.documents.reset();
  empty_value.arguments = {L"--prepare-only", L"--target", L""};
  EXPECT_EQ(empty_value.run(), 1);
  EXPECT_EQ(empty_value.result, "ERROR\nDocuments folder unavailable\n");

  FakeSystem with_target = system;
  with_target.documents.reset();
  with_target.arguments = {L"--prepare-only", L"--target", fs::join(package.path(), L"Ziel").text()};
  EXPECT_EQ(with_target.run(), 0);
  EXPECT_EQ(with_target.documents_asked, 0);
}

TEST_F(SetupFlow, TargetIsSettledAbsoluteNormalAndWithoutTrailingSeparators) {
  const std::wstring sep(1, fs::preferred_separator());
  struct Case {
    std::wstring given;
    fs::Path expected;
  };
  const Case cases[] = {
      {L"Ziel", fs::absolute_normal_form(fs::Path(L"Ziel"))},
      {L"--prepare-only", fs::absolute_normal_form(fs::Path(L"--prepare-only"))},
      {fs::join(package.path(), L"a/./b/../Ziel").text() + sep + sep, fs::join(package.path(), L"a" + sep + L"Ziel")},
  };
  for (const Case& c : cases) {
    FakeSystem run = system;
    run.arguments = {L"--target", c.given, L"--source", L"anderswo", L"--prepare-only"};
    EXPECT_EQ(run.run(), 0);
    ASSERT_EQ(run.prepared.size(), 3u);
    EXPECT_EQ(run.prepared[2], fs::lexically_normal(c.expected));
    EXPECT_EQ(run.prepared[1], fs::absolute_normal_form(fs::join(package.path(), L"Originalsoftware")));
  }
}

TEST_F(SetupFlow, ComIsReleasedOnlyWhenItWasInitialised) {
  system.com_result = -2147417850;  // RPC_E_CHANGED_MODE
  EXPECT_EQ(system.run(), 0);
  EXPECT_EQ(system.com_initialized, 1);
  EXPECT_EQ(system.com_released, 0);

  FakeSystem failing = system;
  failing.com_result = 1;  // S_FALSE: already initialised, still to be released
  failing.prepare_failure = [] { throw std::runtime_error("boom"); };
  EXPECT_EQ(failing.run(), 1);
  EXPECT_EQ(failing.com_released, 1);
}

TEST_F(SetupFlow, UnknownExecutablePathEndsWithoutResultFile) {
  struct NoExecutablePath final : FakeSystem {
    fs::Path executable_directory() override { throw Error("Executable path unavailable"); }
  };
  NoExecutablePath run;
  EXPECT_EQ(run.run(), 1);
  EXPECT_FALSE(run.result.has_value());
  EXPECT_EQ(run.com_initialized, 0);
}

// The progress is on from the confirmation until the installation, the device check and the driver installer
// have ended, and gone before any box; it sees the installation's phases and bytes and the binding's phases.
// Without a confirmed, interactive run there is none.
TEST_F(SetupFlow, ProgressRunsFromTheConfirmationToTheEndOfTheDriverSetup) {
  FakeSystem run = system;
  EXPECT_EQ(run.run(), 0);
  std::vector<progress::Phase> phases;
  const ProgressState* copied = nullptr;
  for (const ProgressState& state : run.progress_states) {
    if (phases.empty() || phases.back() != state.phase) phases.push_back(state.phase);
    if (state.phase == progress::Phase::copying) copied = &state;
  }
  EXPECT_EQ(phases, (std::vector<progress::Phase>{progress::Phase::checking, progress::Phase::copying,
                                                  progress::Phase::checking_device,
                                                  progress::Phase::setting_up_driver}));
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->done, 60u);
  EXPECT_EQ(copied->total, std::optional<std::uint64_t>(100));

  struct Case {
    const char* name;
    std::vector<std::wstring> arguments;
    int answer;
    bool fails;
    bool binding_fails;
    bool shown;
    std::vector<std::string> events;
  };
  const std::vector<Case> cases = {
      {"failure",
       {},
       kIdOk,
       true,
       false,
       true,
       {"com", "box", "progress", "prepare", "progress end", "result", "box", "uncom"}},
      {"failed device check",
       {},
       kIdOk,
       false,
       true,
       true,
       {"com", "box", "progress", "prepare", "bind", "progress end", "result", "box", "uncom"}},
      {"cancelled", {}, kIdCancel, false, false, false, {"com", "box", "uncom"}},
      {"prepare only", {L"--prepare-only"}, kIdOk, false, false, false, {"com", "prepare", "result", "uncom"}},
  };
  for (const Case& c : cases) {
    FakeSystem other = system;
    other.arguments = c.arguments;
    other.confirmation_answer = c.answer;
    if (c.fails) other.prepare_failure = [] { throw Error("Payload checksum mismatch"); };
    if (c.binding_fails) other.binding = []() -> std::uint32_t { throw Error("Device check failed"); };
    other.run();
    EXPECT_EQ(other.events, c.events) << c.name;
    EXPECT_EQ(other.progress_states.empty(), !c.shown) << c.name;
  }
  // The run puts back the listener that was there before it: a report after the run reaches that one.
  struct Counting final : progress::Listener {
    void phase_started(progress::Phase) noexcept override {}
    void bytes_done(std::uint64_t count) noexcept override { bytes += count; }
    void detail_changed(std::wstring_view) noexcept override {}
    std::uint64_t bytes = 0;
  } outside;
  const progress::Listening listening(outside);
  FakeSystem inner = system;
  EXPECT_EQ(inner.run(), 0);
  EXPECT_EQ(outside.bytes, 0u) << "the run's reports went outside it";
  progress::bytes_done(7);
  EXPECT_EQ(outside.bytes, 7u);
}

}  // namespace
}  // namespace tavo::setup
