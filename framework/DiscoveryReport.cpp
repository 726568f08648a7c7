#include <libxml/tree.h>
#include <libxml/xmlsave.h>

#include <cstdio>

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

// One empty element carrying the attribute value; false when the library
// could not build it.
bool AddValue(xmlNodePtr parent, const char* name, const std::wstring& value) {
  xmlNodePtr node = xmlNewChild(parent, nullptr, X(name), nullptr);
  if (node == nullptr) return false;
  std::string bytes = AttributeBytes(value);
  return xmlNewProp(node, X("value"), X(bytes.c_str())) != nullptr;
}

bool BuildTree(xmlDocPtr doc, const DiscoveryInfo& discovery) {
  xmlNodePtr root = xmlNewNode(nullptr, X("zv_rom_discovery"));
  if (root == nullptr) return false;
  if (xmlNewProp(root, X("version"), X("2.0.0.0")) == nullptr) {
    xmlFreeNode(root);
    return false;
  }
  xmlDocSetRootElement(doc, root);
  if (!AddValue(root, "type", discovery.type) || !AddValue(root, "alt_name", discovery.alt_name) ||
      !AddValue(root, "version", discovery.version) ||
      !AddValue(root, "takes_effect", discovery.takes_effect))
    return false;
  xmlNodePtr devices = xmlNewChild(root, nullptr, X("devices"), nullptr);
  if (devices == nullptr) return false;
  for (const DeviceRec& device : discovery.devices) {
    xmlNodePtr node = xmlNewChild(devices, nullptr, X("device"), nullptr);
    if (node == nullptr || !AddValue(node, "device_id", device.device_id) ||
        !AddValue(node, "product_id", device.product_id) ||
        !AddValue(node, "busnumber", device.busnumber) ||
        !AddValue(node, "funcnumber", device.funcnumber))
      return false;
    for (const FwItem& item : device.fw_items) {
      xmlNodePtr fw = xmlNewChild(node, nullptr, X("fw_item"), nullptr);
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

// The file is opened here rather than by name inside the library, whose
// URI handling would unescape "%xx" sequences and read "-" as standard
// output; the path is used exactly as given.
bool SaveDocument(xmlDocPtr doc, const std::string& path) {
  if (path.empty()) return false;
  FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  int written = xmlDocFormatDump(file, doc, 1);
  bool flushed = std::fflush(file) == 0 && !std::ferror(file);
  bool closed = std::fclose(file) == 0;
  return written >= 0 && flushed && closed;
}

}  // namespace

bool CBaseCmp::WriteDiscoveryXml() {
  xmlDocPtr doc = xmlNewDoc(nullptr);
  if (doc == nullptr) return false;
  bool built = BuildTree(doc, discovery);
  // A half-built tree is not saved: a partial report would read as a valid one.
  bool saved = built && SaveDocument(doc, report_path);
  xmlFreeDoc(doc);
  return saved;
}
