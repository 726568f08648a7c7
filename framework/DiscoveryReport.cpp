// The self-discovery report: the XML tree of the discovery result, saved to
// the path given after /d.
#include <libxml/globals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "framework/CBaseCmp.h"
#include "framework/Text.h"

namespace {

const xmlChar* X(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

// Control characters other than tab and line ends cannot appear in XML at
// all, not even as character references; written raw they would make the
// whole report unreadable, so each becomes a '?'.
std::string AttributeBytes(const std::wstring& value) {
  std::string bytes = NarrowBytes(value);
  for (char& c : bytes) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 && u != '\t' && u != '\n' && u != '\r') c = '?';
  }
  return bytes;
}

// Out of memory, the library can hand out a node or an attribute without
// its name or its text: written, that would be "< value=...>".
xmlNodePtr Whole(xmlNodePtr node) { return node != nullptr && node->name != nullptr ? node : nullptr; }

bool Whole(xmlAttrPtr attr, const std::string& value) {
  if (attr == nullptr || attr->name == nullptr) return false;
  return value.empty() || (attr->children != nullptr && attr->children->content != nullptr);
}

xmlNodePtr NewChild(xmlNodePtr parent, const char* name) {
  return Whole(xmlNewChild(parent, nullptr, X(name), nullptr));
}

// One empty element carrying the attribute value; false when the library
// could not build it.
bool AddValue(xmlNodePtr parent, const char* name, const std::wstring& value) {
  xmlNodePtr node = NewChild(parent, name);
  if (node == nullptr) return false;
  std::string bytes = AttributeBytes(value);
  return Whole(xmlNewProp(node, X("value"), X(bytes.c_str())), bytes);
}

bool BuildTree(xmlDocPtr doc, const DiscoveryInfo& discovery) {
  xmlNodePtr root = xmlNewNode(nullptr, X("zv_rom_discovery"));
  if (root == nullptr) return false;
  if (root->name == nullptr || !Whole(xmlNewProp(root, X("version"), X("2.0.0.0")), "2.0.0.0")) {
    xmlFreeNode(root);
    return false;
  }
  xmlDocSetRootElement(doc, root);
  if (!AddValue(root, "type", discovery.type) || !AddValue(root, "alt_name", discovery.alt_name) ||
      !AddValue(root, "version", discovery.version) ||
      !AddValue(root, "takes_effect", discovery.takes_effect))
    return false;
  xmlNodePtr devices = NewChild(root, "devices");
  if (devices == nullptr) return false;
  for (const DeviceRec& device : discovery.devices) {
    xmlNodePtr node = NewChild(devices, "device");
    if (node == nullptr || !AddValue(node, "device_id", device.device_id) ||
        !AddValue(node, "product_id", device.product_id) ||
        !AddValue(node, "busnumber", device.busnumber) ||
        !AddValue(node, "funcnumber", device.funcnumber))
      return false;
    for (const FwItem& item : device.fw_items) {
      xmlNodePtr fw = NewChild(node, "fw_item");
      if (fw == nullptr || !AddValue(fw, "type", item.type) ||
          !AddValue(fw, "firmware_id", item.firmware_id) || !AddValue(fw, "version", item.version) ||
          !AddValue(fw, "active_version", item.active_version) ||
          !AddValue(fw, "action", item.action) || !AddValue(fw, "duration", item.duration) ||
          !AddValue(fw, "message", item.message) || !AddValue(fw, "shared", item.shared))
        return false;
    }
  }
  return true;
}

// A report that is not saved is told on standard error, with the path and
// the system's reason; the console and the log only say "FAILED!".
void ReportNotSaved(const std::string& path, int error) {
  std::fprintf(stderr, "fwpack: cannot write report %s: %s\n", path.c_str(), std::strerror(error));
}

// The reason a failed step gives, never 0: a write that failed without
// telling why reads as an I/O error.
int Reason(int error) { return error != 0 ? error : EIO; }

// The library formats the document into memory and the file is written
// here: opened by name inside the library, the path would go through its URI
// handling (unescaping "%xx", reading "-" as standard output), and a failed
// write would be told in the library's words rather than once in ours. The
// path is used exactly as given. 0 when saved, else the reason.
int SaveDocument(xmlDocPtr doc, const std::string& path) {
  if (path.empty()) return ENOENT;
  xmlChar* text = nullptr;
  int size = -1;
  // A text the library could not finish is told only in its last error.
  xmlResetLastError();
  xmlDocDumpFormatMemory(doc, &text, &size, 1);
  const xmlError* last = xmlGetLastError();
  if (text == nullptr || size < 0 || (last != nullptr && last->code == XML_ERR_NO_MEMORY)) {
    xmlFree(text);
    return ENOMEM;
  }
  errno = 0;
  FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) {
    xmlFree(text);
    return Reason(errno);
  }
  errno = 0;
  const size_t length = static_cast<size_t>(size);
  const bool written = std::fwrite(text, 1, length, file) == length;
  const int write_error = errno;
  xmlFree(text);
  errno = 0;
  const bool flushed = std::fflush(file) == 0;
  const int flush_error = errno;
  errno = 0;
  const bool closed = std::fclose(file) == 0;
  const int close_error = errno;
  if (!written) return Reason(write_error);
  if (!flushed) return Reason(flush_error);
  if (!closed) return Reason(close_error);
  return 0;
}

}  // namespace

bool CBaseCmp::WriteDiscoveryXml() {
  xmlDocPtr doc = xmlNewDoc(nullptr);
  if (doc == nullptr) {
    ReportNotSaved(report_path, ENOMEM);
    return false;
  }
  // A half-built tree is not saved: a partial report would read as a valid
  // one. The library builds nodes only out of memory.
  int error = BuildTree(doc, discovery) ? SaveDocument(doc, report_path) : ENOMEM;
  xmlFreeDoc(doc);
  if (error != 0) ReportNotSaved(report_path, error);
  return error == 0;
}
