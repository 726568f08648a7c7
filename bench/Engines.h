#pragma once
// The engines the benchmark compares. Each call compiles the pattern afresh,
// matches the whole subject and frees everything again, because that is what
// the component does for every line it reads.
#include <memory>
#include <string>
#include <vector>

namespace bench {

// One matcher (match data) kept for a whole tool output and re-targeted at
// each line, the way the components read a tool's output.
class LineMatcher {
 public:
  virtual ~LineMatcher() = default;
  virtual bool WholeGroups(const std::string& line, std::vector<std::string>& groups) = 0;
};

// A pattern compiled once and applied to many lines.
class CompiledPattern {
 public:
  virtual ~CompiledPattern() = default;
  // Through a fresh matcher (match data) per line.
  virtual bool WholeGroups(const std::string& subject, std::vector<std::string>& groups) = 0;
  // A matcher to keep; the pattern must outlive it.
  virtual std::unique_ptr<LineMatcher> MakeLineMatcher() = 0;
};

class Engine {
 public:
  virtual ~Engine() = default;
  virtual const char* Name() const = 0;

  // Whole-text match of `subject`; on success `groups` holds the texts of
  // capture groups 1..G-1 ("" for a group that took no part).
  virtual bool WholeGroups(const std::string& pattern, unsigned long flags,
                           const std::string& subject, std::vector<std::string>& groups) = 0;
  virtual bool WholeGroups(const std::wstring& pattern, unsigned long flags,
                           const std::wstring& subject, std::vector<std::wstring>& groups) = 0;

  // Whole-text test without groups (the one-call `matches`).
  virtual bool Matches(const std::string& pattern, const std::string& subject, unsigned long flags) = 0;
  virtual bool Matches(const std::wstring& pattern, const std::wstring& subject, unsigned long flags) = 0;

  // Null when the pattern does not compile.
  virtual std::unique_ptr<CompiledPattern> Compile(const std::string& pattern, unsigned long flags) = 0;
};

// fwpack's own engine, driven through its public interface.
std::unique_ptr<Engine> MakeFwpackEngine();
std::unique_ptr<Engine> MakeStdRegexEngine();
std::unique_ptr<Engine> MakePcre2Engine(bool jit);
std::unique_ptr<Engine> MakeRe2Engine();
std::unique_ptr<Engine> MakeBoostEngine();

// All engines, fwpack's first.
std::vector<std::unique_ptr<Engine>> AllEngines();

// Pattern adaptation for engines without a dot-all switch: every '.' outside
// a class and not escaped becomes a class that matches every character.
std::string DotAllAsClass(const std::string& pattern);
std::wstring DotAllAsClass(const std::wstring& pattern);

}  // namespace bench
