// Shared test helpers: a scratch folder per test, a front end that records
// what the window would have shown, and a run context wired to both.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "model/front_end.hpp"
#include "model/run_state.hpp"

namespace brackwyn::testing {

// A fresh folder under the system's temporary folder, removed on destruction.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

struct ShownMessage {
  std::string title;
  std::string text;
  bool error;
};

class RecordingFrontEnd : public FrontEnd {
 public:
  bool processEvents() override {
    ++eventCalls;
    return false;
  }
  void showMessage(std::string_view title, std::string_view text) override {
    messages.push_back({std::string(title), std::string(text), false});
  }
  void showError(std::string_view title, std::string_view text) override {
    messages.push_back({std::string(title), std::string(text), true});
  }
  void modelChanged(std::string_view name) override {
    if (name == "frmMain")
      captions.push_back(lastWindow->caption());
  }

  const WindowModel* lastWindow = nullptr;
  long long eventCalls = 0;
  std::vector<ShownMessage> messages;
  std::vector<std::string> captions;  // every caption shown, in order
};

// A window model, reporter and run state that work in a scratch folder.
struct TestRun {
  TestRun();

  ScratchFolder folder;
  WindowModel window;
  RecordingFrontEnd frontEnd;
  ProgressReporter progress{window};
  RunState state;
  RunContext context{window, progress, state};
};

// Sets the environment variable `name` for the lifetime of the object (null:
// unset), then unsets it.
class EnvironmentSetting {
 public:
  EnvironmentSetting(const char* name, const char* value) : name_(name) { Set(name_, value); }
  ~EnvironmentSetting() { Set(name_, nullptr); }
  EnvironmentSetting(const EnvironmentSetting&) = delete;
  EnvironmentSetting& operator=(const EnvironmentSetting&) = delete;

 private:
  static void Set(const char* name, const char* value);
  const char* name_;
};

// BRACKWYN_THREADS, the setting most tests change.
class ThreadsSetting : public EnvironmentSetting {
 public:
  explicit ThreadsSetting(const char* count) : EnvironmentSetting("BRACKWYN_THREADS", count) {}
};

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);

// Makes `link` name the file `target`: a symbolic link where the system
// allows one, else a hard link (Windows without developer mode, Wine).
void LinkFile(const std::filesystem::path& target, const std::filesystem::path& link);

}  // namespace brackwyn::testing
