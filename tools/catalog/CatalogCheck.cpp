#include "tools/catalog/CatalogCheck.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwctype>
#include <iterator>
#include <unordered_map>

#include "framework/RefCatalogObserver.h"
#include "framework/Text.h"

namespace fwcatalog {

namespace {

const char kRootName[] = "tarvix_fchba_reference";

// A finding text met more often than this is listed this many times, then
// once more with the count of the rest (a catalogue padded with half a
// million unknown elements must not bury everything else).
constexpr size_t kSameTextListed = 10;
// The parser can keep reporting after its first fatal error.
constexpr size_t kParserMessagesKept = 50;

// Control bytes as \xHH, so a finding is always one line; with `quote`, '"'
// and '\' escaped too.
std::string Escape(const std::string& text, bool quote) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (quote && (c == '"' || c == '\\')) {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7f) {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  return out;
}

enum Field { kType, kDeviceId, kModel, kFirmware, kBios, kBoot, kDuration, kFieldCount };

// The value elements of a device, in Field order.
const char* const kFieldNames[kFieldCount] = {"type", "device_id", "model", "firmware",
                                              "bios", "boot", "duration"};

int FieldIndex(const char* name) {
  for (int i = 0; i < kFieldCount; ++i)
    if (std::strcmp(name, kFieldNames[i]) == 0) return i;
  return -1;
}

struct EntryLines {
  long device = 0;
  long field[kFieldCount] = {};         // the element whose value was kept
  bool without_attr[kFieldCount] = {};  // ... and it had no value attribute
};

size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The element the author probably meant, for a name the loader ignores.
std::string Suggestion(const std::string& name, const std::string& parent) {
  static const std::vector<std::string> kInDevice(std::begin(kFieldNames), std::end(kFieldNames));
  static const std::vector<std::string> kInDevices = {"device"};
  static const std::vector<std::string> kInRoot = {"discovery_app_path", "installer_app_path",
                                                   "devices"};
  const std::vector<std::string>* expected = parent == "device"    ? &kInDevice
                                             : parent == "devices" ? &kInDevices
                                             : parent == kRootName ? &kInRoot
                                                                   : nullptr;
  if (expected == nullptr || name.size() > 64) return std::string();
  for (const std::string& candidate : *expected) {
    size_t limit = candidate.size() <= 4 ? 1 : 2;
    if (strcasecmp(name.c_str(), candidate.c_str()) == 0 ||
        EditDistance(name, candidate) <= limit)
      return candidate;
  }
  return std::string();
}

bool HasDigit(const std::wstring& text) {
  return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

bool WholeNumber(const std::wstring& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

class Collector : public RefCatalogObserver {
 public:
  struct ParserNote {
    Level level;
    long line;
    std::string text;
  };

  void Add(long line, bool error, const std::string& text) {
    Repeat& repeat = repeats_[text];
    if (++repeat.count <= kSameTextListed) {
      findings_.push_back({line, error, Escape(text, false)});
    } else if (repeat.count == kSameTextListed + 1) {
      repeat.first_unlisted = line;
      repeat.error = error;
      overflowing_.push_back(text);
    }
  }

  // The findings collected, with one closing line for each text met more
  // than kSameTextListed times.
  std::vector<Finding> Take() {
    for (const std::string& text : overflowing_) {
      const Repeat& repeat = repeats_[text];
      std::string more = std::to_string(repeat.count - kSameTextListed);
      findings_.push_back({repeat.first_unlisted, repeat.error,
                           Escape(text, false) + " (" + more +
                               " more times from this line on, not listed)"});
    }
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return std::move(findings_);
  }

  void FileUnusable(const std::string& reason) override { unusable_ = reason; }

  void ParserMessage(Level level, long line, const std::string& text) override {
    if (parser_.size() < kParserMessagesKept) parser_.push_back({level, line, text});
  }

  void TopLevelElement(const char* name, long line) override {
    if (root_seen_) return;
    root_ = name;
    root_line_ = line;
    root_seen_ = true;
  }

  void IgnoredElement(const char* name, const char* parent, long line) override {
    std::string text;
    if (std::strcmp(name, "device") == 0 && std::strcmp(parent, "devices") != 0) {
      text = std::string("device in ") + parent + " is outside devices and is ignored";
    } else {
      text = std::string("element ") + name + " in " + parent + " is ignored";
      std::string meant = Suggestion(name, parent);
      if (!meant.empty()) text += " (did you mean " + meant + "?)";
    }
    Add(line, false, text);
  }

  void PathWithoutCdata(const char* name, long line) override {
    Add(line, false,
        std::string(name) + " does not begin with a CDATA section, so no path is read from it");
  }

  void EntryStarted(size_t index, long line) override {
    if (entries_.size() <= index) entries_.resize(index + 1);
    entries_[index].device = line;
  }

  void ValueStored(size_t index, const char* field, long line) override {
    int f = FieldIndex(field);
    if (f < 0 || index >= entries_.size()) return;
    entries_[index].field[f] = line;
    entries_[index].without_attr[f] = false;
  }

  void ValueWithoutAttribute(size_t index, const char* field, long line) override {
    Add(line, false,
        "entry " + std::to_string(index) + ": " + field + " has no value attribute, so " + field +
            " is empty");
    int f = FieldIndex(field);
    if (f >= 0 && index < entries_.size()) entries_[index].without_attr[f] = true;
  }

  void ValueRepeated(size_t index, const char* field, long line, long earlier_line) override {
    Add(line, false,
        "entry " + std::to_string(index) + ": " + field + " given again (first at line " +
            std::to_string(earlier_line) + "); this later value wins");
  }

  void EntryWithoutDeviceId(size_t index, long line) override {
    Add(line, false, "entry " + std::to_string(index) + " has no device_id");
  }

  const std::string& Unusable() const { return unusable_; }
  const std::vector<ParserNote>& Parser() const { return parser_; }
  bool RootSeen() const { return root_seen_; }
  const std::string& Root() const { return root_; }
  long RootLine() const { return root_line_; }
  const std::vector<EntryLines>& Entries() const { return entries_; }

 private:
  struct Repeat {
    size_t count = 0;
    long first_unlisted = 0;
    bool error = false;
  };

  std::vector<Finding> findings_;
  std::unordered_map<std::string, Repeat> repeats_;
  std::vector<std::string> overflowing_;  // texts past the limit, in order
  std::string unusable_;
  std::vector<ParserNote> parser_;
  bool root_seen_ = false;
  std::string root_;
  long root_line_ = 0;
  std::vector<EntryLines> entries_;
};

}  // namespace

std::string Quote(const std::wstring& text) {
  return "\"" + Escape(NarrowBytes(text), true) + "\"";
}

int CheckResult::ExitCode() const {
  int code = 0;
  for (const Finding& finding : findings) code = std::max(code, finding.error ? 2 : 1);
  return code;
}

namespace {

// Up to this many entries every entry is looked up with the vendor's rule
// over the whole catalogue. In a larger one that would take quadratic time,
// so an entry is looked up among the entries whose device_id equals its own
// ignoring case: every vendor's lookup first takes the first entry equal to
// the key ignoring case, and an entry always equals itself, so the lookup
// stops within that group whatever comes after it.
constexpr size_t kWholeCatalogueLookupsUpTo = 4096;

// The group key of a case-insensitive comparison (as the lookup makes it).
std::wstring CaseFolded(const std::wstring& text) {
  std::wstring folded(text);
  for (wchar_t& c : folded) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return folded;
}

// The entry each entry's own device_id finds, -1 for an empty id.
std::vector<int> OwnLookups(VendorCatalogue& vendor) {
  const std::vector<RefEntry>& entries = vendor.Catalogue().entries;
  std::vector<int> found(entries.size(), -1);
  if (entries.size() <= kWholeCatalogueLookupsUpTo) {
    for (size_t i = 0; i < entries.size(); ++i)
      if (!entries[i].device_id.empty()) found[i] = vendor.FindReference(entries[i].device_id);
    return found;
  }
  std::unordered_map<std::wstring, std::vector<size_t>> groups;
  for (size_t i = 0; i < entries.size(); ++i)
    if (!entries[i].device_id.empty()) groups[CaseFolded(entries[i].device_id)].push_back(i);
  VendorCatalogue part(vendor.Kind());
  for (const auto& group : groups) {
    const std::vector<size_t>& members = group.second;
    if (members.size() == 1) {
      found[members[0]] = static_cast<int>(members[0]);
      continue;
    }
    std::vector<RefEntry> subset;
    for (size_t i : members) subset.push_back(entries[i]);
    part.SetEntries(std::move(subset));
    std::unordered_map<std::wstring, int> memo;
    for (size_t i : members) {
      auto known = memo.find(entries[i].device_id);
      if (known == memo.end())
        known = memo.emplace(entries[i].device_id, part.FindReference(entries[i].device_id)).first;
      int at = known->second;
      found[i] = at >= 0 && static_cast<size_t>(at) < members.size()
                     ? static_cast<int>(members[static_cast<size_t>(at)])
                     : -1;
    }
  }
  return found;
}

void ReportUnloaded(const std::string& path, const Collector& collector,
                    std::vector<Finding>& extra) {
  if (!collector.Unusable().empty()) {
    extra.push_back({0, true, "cannot read " + path + ": " + collector.Unusable()});
    return;
  }
  // Messages at a line are about the text; the others come from reading the
  // file (the parser reports a failed open several times over).
  const std::vector<Collector::ParserNote>& notes = collector.Parser();
  bool rejected = std::any_of(notes.begin(), notes.end(), [](const Collector::ParserNote& note) {
    return note.line > 0 && note.level != RefCatalogObserver::Level::Warning;
  });
  if (!rejected) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      extra.push_back({0, true, "cannot read " + path + ": " + std::strerror(errno)});
      return;
    }
    close(fd);
  }
  for (const Collector::ParserNote& note : notes)
    extra.push_back({note.line, note.level != RefCatalogObserver::Level::Warning,
                     "XML parser: " + note.text});
  if (notes.empty())
    extra.push_back({0, true, "cannot read " + path + ": the XML parser returned no document"});
}

void ReportEntries(VendorCatalogue& vendor, const Collector& collector,
                   std::vector<Finding>& extra) {
  const std::vector<RefEntry>& entries = vendor.Catalogue().entries;
  const std::vector<EntryLines>& lines = collector.Entries();
  std::vector<int> found = OwnLookups(vendor);
  for (size_t i = 0; i < entries.size() && i < lines.size(); ++i) {
    const RefEntry& entry = entries[i];
    const EntryLines& at = lines[i];
    std::string which = "entry " + std::to_string(i) + ": ";
    const struct {
      Field field;
      const char* name;
      const std::wstring* value;
    } versions[] = {{kFirmware, "firmware", &entry.firmware},
                    {kBios, "bios", &entry.bios},
                    {kBoot, "boot", &entry.boot}};
    for (const auto& version : versions) {
      if (!version.value->empty() && !HasDigit(*version.value))
        extra.push_back({at.field[version.field], false,
                         which + version.name + " version " + Quote(*version.value) +
                             " has no digit"});
    }
    if (!entry.duration.empty() && !WholeNumber(entry.duration))
      extra.push_back({at.field[kDuration], false,
                       which + "duration " + Quote(entry.duration) +
                           " is not a whole number of seconds"});
    if (entry.device_id.empty()) {
      if (at.field[kDeviceId] != 0 && !at.without_attr[kDeviceId])
        extra.push_back({at.field[kDeviceId], false, which + "device_id is empty"});
      continue;
    }
    int winner = found[i];
    if (winner == static_cast<int>(i)) continue;
    std::string text = "entry " + std::to_string(i) + " is never found by its device_id " +
                       Quote(entry.device_id) + ": ";
    if (winner >= 0) {
      size_t w = static_cast<size_t>(winner);
      long line = w < lines.size() ? lines[w].device : 0;
      text += "the lookup returns entry " + std::to_string(w) + " (line " + std::to_string(line) +
              ", device_id " + Quote(entries[w].device_id) + ")";
    } else {
      text += "the lookup returns no entry";
    }
    extra.push_back({at.field[kDeviceId], false, text});
  }
}

}  // namespace

CheckResult CheckCatalogue(const std::string& path, Vendor vendor) {
  CheckResult result;
  Collector collector;
  VendorCatalogue component(vendor);
  result.loaded = component.Load(path, &collector);
  std::vector<Finding> extra;
  if (!result.loaded) {
    ReportUnloaded(path, collector, extra);
  } else {
    // The component prints these on standard error at every run.
    for (const Collector::ParserNote& note : collector.Parser())
      extra.push_back({note.line, false, "XML parser: " + note.text});
    const RefCatalog& catalog = component.Catalogue();
    bool nothing = catalog.entries.empty() && catalog.discovery_app_path.empty() &&
                   catalog.installer_app_path.empty();
    if (collector.RootSeen() && collector.Root() != kRootName) {
      extra.push_back({collector.RootLine(), true,
                       "root element " + collector.Root() + " is not " + kRootName +
                           (nothing ? ", so nothing is loaded" : "")});
    } else if (catalog.entries.empty()) {
      extra.push_back({collector.RootLine(), true, "no device entry: no adapter is supported"});
    }
    ReportEntries(component, collector, extra);
    result.catalog = catalog;
    for (const EntryLines& lines : collector.Entries()) result.entry_lines.push_back(lines.device);
  }
  for (const Finding& finding : extra) collector.Add(finding.line, finding.error, finding.text);
  result.findings = collector.Take();
  return result;
}

}  // namespace fwcatalog
