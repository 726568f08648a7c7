// The catalogue loader: reads reference.xml with libxml2 into RefCatalog.
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <sys/stat.h>

#include <cstring>

#include "framework/Paths.h"
#include "framework/RefCatalogXml.h"
#include "framework/Records.h"
#include "framework/Text.h"

namespace {

bool IsElement(const xmlNode* node, const char* name) {
  return node != nullptr && node->type == XML_ELEMENT_NODE && node->name != nullptr &&
         std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

std::wstring Bytes(const xmlChar* text) {
  if (text == nullptr) return std::wstring();
  return WidenBytes(std::string(reinterpret_cast<const char*>(text)));
}

RefEntry ReadDevice(const xmlNode* device) {
  RefEntry entry;
  for (const xmlNode* child = device->children; child != nullptr; child = child->next) {
    if (IsElement(child, "type")) entry.type = GetValueAttr(child, "value");
    else if (IsElement(child, "device_id")) entry.device_id = GetValueAttr(child, "value");
    else if (IsElement(child, "model")) entry.model = GetValueAttr(child, "value");
    else if (IsElement(child, "firmware")) entry.firmware = GetValueAttr(child, "value");
    else if (IsElement(child, "boot")) entry.boot = GetValueAttr(child, "value");
    else if (IsElement(child, "duration")) entry.duration = GetValueAttr(child, "value");
    else if (IsElement(child, "bios")) {
      entry.bios = GetValueAttr(child, "value");
      if (entry.bios.empty()) entry.bios_present = 0;
    }
  }
  return entry;
}

// Only a CDATA section as the very first child counts.
void ReadAppPath(const xmlNode* element, std::wstring& field) {
  const xmlNode* first = element->children;
  if (first != nullptr && first->type == XML_CDATA_SECTION_NODE) field = Bytes(first->content);
}

// Handles a run of sibling nodes. The parser bounds the element depth, so
// the descent into a nested root element is bounded too.
void WalkNodes(const xmlNode* node, RefCatalog& catalog) {
  for (; node != nullptr; node = node->next) {
    if (IsElement(node, "tarvix_fchba_reference")) {
      WalkNodes(node->children, catalog);
    } else if (IsElement(node, "discovery_app_path")) {
      ReadAppPath(node, catalog.discovery_app_path);
    } else if (IsElement(node, "installer_app_path")) {
      ReadAppPath(node, catalog.installer_app_path);
    } else if (IsElement(node, "devices")) {
      for (const xmlNode* child = node->children; child != nullptr; child = child->next)
        if (IsElement(child, "device")) catalog.entries.push_back(ReadDevice(child));
    }
  }
}

}  // namespace

std::wstring GetValueAttr(const _xmlNode* element, const char* name) {
  std::wstring value;
  if (element == nullptr || name == nullptr) return value;
  for (const xmlAttr* attr = element->properties; attr != nullptr; attr = attr->next) {
    if (attr->type != XML_ATTRIBUTE_NODE || attr->name == nullptr ||
        std::strcmp(reinterpret_cast<const char*>(attr->name), name) != 0)
      continue;
    xmlChar* text = xmlNodeListGetString(element->doc, attr->children, 1);
    value = Bytes(text);
    if (text != nullptr) xmlFree(text);
  }
  return value;
}

bool RefCatalog::LoadReferences() { return LoadReferences(FwPaths::kReferenceXml); }

bool RefCatalog::LoadReferences(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return false;
  // A FIFO or device under the catalogue's name would block or never end.
  if (!S_ISREG(status.st_mode)) return false;
  xmlInitParser();
  xmlDocPtr doc = xmlParseFile(path.c_str());
  if (doc == nullptr) return false;
  WalkNodes(doc->children, *this);
  xmlFreeDoc(doc);
  xmlCleanupParser();
  return true;
}
