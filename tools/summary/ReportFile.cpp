#include "tools/summary/ReportFile.h"

#include <fcntl.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlreader.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace FleetSummary {

const char kMissing[] = "missing";
const char kEmpty[] = "empty";
const char kNotReport[] = "not a self-discovery report";

namespace {

// The elements the summary reads; everything else is skipped.
enum class Name { Other, Root, Devices, Device, DeviceId, ProductId, FwItem, Type, Version, Action };

Name NameOf(const xmlChar* name) {
  static const struct { const char* text; Name name; } kNames[] = {
      {"zv_rom_discovery", Name::Root}, {"devices", Name::Devices},   {"device", Name::Device},
      {"device_id", Name::DeviceId},    {"product_id", Name::ProductId}, {"fw_item", Name::FwItem},
      {"type", Name::Type},             {"version", Name::Version},   {"action", Name::Action}};
  if (name == nullptr) return Name::Other;
  for (const auto& entry : kNames)
    if (std::strcmp(reinterpret_cast<const char*>(name), entry.text) == 0) return entry.name;
  return Name::Other;
}

ReadResult Failure(std::string reason) {
  ReadResult result;
  result.reason = std::move(reason);
  return result;
}

std::string NotReport(const std::string& detail) { return std::string(kNotReport) + ": " + detail; }

// The parser's first complaint; nothing goes to standard error.
struct ParseErrors {
  bool seen = false;
  int line = 0;
};

void KeepFirstError(void* data, xmlErrorPtr error) {
  auto* errors = static_cast<ParseErrors*>(data);
  if (errors->seen || error == nullptr || error->level < XML_ERR_ERROR) return;
  errors->seen = true;
  errors->line = error->line;
}

void Quiet(void*, const char*, ...) {}

// True when the rest of the file holds nothing but white space.
bool OnlyWhiteSpace(int fd) {
  if (lseek(fd, 0, SEEK_SET) != 0) return false;
  char buffer[4096];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    for (ssize_t i = 0; i < n; ++i)
      if (buffer[i] != ' ' && buffer[i] != '\t' && buffer[i] != '\n' && buffer[i] != '\r') return false;
  }
}

std::string ValueOf(xmlTextReaderPtr reader) {
  xmlChar* value = xmlTextReaderGetAttribute(reader, BAD_CAST "value");
  if (value == nullptr) return std::string();
  std::string text(reinterpret_cast<const char*>(value));
  xmlFree(value);
  return text;
}

class Walker {
 public:
  explicit Walker(xmlTextReaderPtr reader) : reader_(reader) {}

  // Reads the whole document; returns false with reason_ set on anything
  // that is not a complete report.
  bool Walk(ParseErrors& errors) {
    int ret;
    while ((ret = xmlTextReaderRead(reader_)) == 1) {
      int type = xmlTextReaderNodeType(reader_);
      if (type == XML_READER_TYPE_ELEMENT) {
        if (!Start()) return false;
      } else if (type == XML_READER_TYPE_END_ELEMENT) {
        End();
      }
    }
    if (ret != 0 || errors.seen) {
      reason_ = errors.line > 0 ? NotReport("not well-formed XML (line " + std::to_string(errors.line) + ")")
                                : NotReport("not well-formed XML");
      return false;
    }
    if (!seen_root_) {
      reason_ = NotReport("no root element");
      return false;
    }
    if (!seen_devices_) {
      reason_ = NotReport("no devices element");
      return false;
    }
    return true;
  }

  const std::string& reason() const { return reason_; }
  ReportContent& content() { return content_; }
  bool empty_document() const { return !seen_root_; }

 private:
  bool Under(std::initializer_list<Name> chain) const {
    if (open_.size() != chain.size()) return false;
    std::size_t i = 0;
    for (Name name : chain)
      if (open_[i++] != name) return false;
    return true;
  }

  bool Start() {
    Name name = NameOf(xmlTextReaderConstName(reader_));
    bool empty = xmlTextReaderIsEmptyElement(reader_) == 1;
    if (open_.empty()) {
      if (name != Name::Root) {
        const xmlChar* root = xmlTextReaderConstName(reader_);
        reason_ = NotReport("root element is <" +
                            std::string(root != nullptr ? reinterpret_cast<const char*>(root) : "") + ">");
        return false;
      }
      seen_root_ = true;
    } else if (name == Name::Devices && Under({Name::Root})) {
      seen_devices_ = true;
    } else if (name == Name::Device && Under({Name::Root, Name::Devices})) {
      ++content_.devices;
      device_first_item_ = content_.items.size();
      product_.clear();
      device_id_.clear();
    } else if (Under({Name::Root, Name::Devices, Name::Device})) {
      if (name == Name::DeviceId) device_id_ = ValueOf(reader_);
      else if (name == Name::ProductId) product_ = ValueOf(reader_);
      else if (name == Name::FwItem) {
        if (content_.items.size() >= kMaxReportItems) {
          reason_ = NotReport("more than " + std::to_string(kMaxReportItems) + " firmware items");
          return false;
        }
        content_.items.emplace_back();
      }
    } else if (Under({Name::Root, Name::Devices, Name::Device, Name::FwItem})) {
      ReportItem& item = content_.items.back();
      if (name == Name::Type) item.type = ValueOf(reader_);
      else if (name == Name::Version) item.version = ValueOf(reader_);
      else if (name == Name::Action) item.action = ValueOf(reader_);
    }
    if (!empty) open_.push_back(name);
    else if (name == Name::Device) FinishDevice();
    return true;
  }

  void End() {
    if (open_.empty()) return;
    Name name = open_.back();
    bool device = name == Name::Device && Under({Name::Root, Name::Devices, Name::Device});
    open_.pop_back();
    if (device) FinishDevice();
  }

  // A device's identity may come before or after its items.
  void FinishDevice() {
    for (std::size_t i = device_first_item_; i < content_.items.size(); ++i) {
      content_.items[i].product = product_;
      content_.items[i].device_id = device_id_;
    }
  }

  xmlTextReaderPtr reader_;
  std::vector<Name> open_;  // the open elements, bounded by the parser's depth limit
  bool seen_root_ = false;
  bool seen_devices_ = false;
  std::size_t device_first_item_ = 0;
  std::string product_, device_id_;
  ReportContent content_;
  std::string reason_;
};

}  // namespace

ReadResult ReadReport(const std::string& path) {
  // Not blocking on open: a FIFO or a device named like a report must not
  // hang the summary.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return Failure(kMissing);
    return Failure(std::string("unreadable: ") + std::strerror(errno));
  }
  struct FdCloser {
    int fd;
    ~FdCloser() { close(fd); }
  } closer{fd};
  struct stat st;
  if (fstat(fd, &st) != 0) return Failure(std::string("unreadable: ") + std::strerror(errno));
  if (S_ISDIR(st.st_mode)) return Failure("unreadable: " + std::string(std::strerror(EISDIR)));
  if (!S_ISREG(st.st_mode)) return Failure("not a regular file");
  if (st.st_size == 0) return Failure(kEmpty);
  if (st.st_size > kMaxReportBytes)
    return Failure(NotReport("larger than " + std::to_string(kMaxReportBytes >> 20) + " MiB"));

  xmlSetGenericErrorFunc(nullptr, Quiet);
  // No network, no external entities, no DTD loading; entities stay as
  // references, so nothing expands beyond the file itself.
  xmlTextReaderPtr reader =
      xmlReaderForFd(fd, path.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (reader == nullptr) return Failure("unreadable: out of memory");
  ParseErrors errors;
  xmlTextReaderSetStructuredErrorHandler(reader, KeepFirstError, &errors);
  Walker walker(reader);
  bool ok = walker.Walk(errors);
  ReadResult result;
  if (ok) {
    result.ok = true;
    result.content = std::move(walker.content());
  } else if (walker.empty_document() && OnlyWhiteSpace(fd)) {
    result.reason = kEmpty;
  } else {
    result.reason = walker.reason();
  }
  xmlFreeTextReader(reader);
  return result;
}

}  // namespace FleetSummary
