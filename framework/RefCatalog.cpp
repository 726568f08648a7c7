// The catalogue loader: reads reference.xml with libxml2 into RefCatalog.
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

#include "framework/Paths.h"
#include "framework/RefCatalogObserver.h"
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

long Line(const xmlNode* node) { return xmlGetLineNo(const_cast<xmlNode*>(node)); }

const char* Name(const xmlNode* node) { return reinterpret_cast<const char*>(node->name); }

bool IsAttr(const xmlAttr* attr, const char* name) {
  return attr->type == XML_ATTRIBUTE_NODE && attr->name != nullptr &&
         std::strcmp(reinterpret_cast<const char*>(attr->name), name) == 0;
}

bool HasAttr(const xmlNode* element, const char* name) {
  for (const xmlAttr* attr = element->properties; attr != nullptr; attr = attr->next)
    if (IsAttr(attr, name)) return true;
  return false;
}

void NoteIgnored(const xmlNode* node, const xmlNode* parent, RefCatalogObserver* observer) {
  if (observer != nullptr && node->type == XML_ELEMENT_NODE && node->name != nullptr)
    observer->IgnoredElement(Name(node), Name(parent), Line(node));
}

struct ValueField {
  const char* name;
  std::wstring RefEntry::*member;
};

const ValueField kValueFields[] = {
    {"type", &RefEntry::type},         {"device_id", &RefEntry::device_id},
    {"model", &RefEntry::model},       {"firmware", &RefEntry::firmware},
    {"bios", &RefEntry::bios},         {"boot", &RefEntry::boot},
    {"duration", &RefEntry::duration}};
constexpr size_t kFieldCount = sizeof kValueFields / sizeof kValueFields[0];
constexpr size_t kDeviceIdField = 1;
constexpr long kUnseen = LONG_MIN;

// Index into kValueFields of the value element `node`, or kFieldCount.
size_t FieldOf(const xmlNode* node) {
  size_t field = 0;
  while (field < kFieldCount && !IsElement(node, kValueFields[field].name)) ++field;
  return field;
}

// Tells the observer about one value element of entry `index`; `seen` keeps
// the line of each field's earlier element.
void NoteValue(const xmlNode* child, size_t field, size_t index, long (&seen)[kFieldCount],
               RefCatalogObserver* observer) {
  long line = Line(child);
  const char* name = kValueFields[field].name;
  observer->ValueStored(index, name, line);
  if (seen[field] != kUnseen) observer->ValueRepeated(index, name, line, seen[field]);
  if (!HasAttr(child, "value")) observer->ValueWithoutAttribute(index, name, line);
  seen[field] = line;
}

RefEntry ReadDevice(const xmlNode* device, size_t index, RefCatalogObserver* observer) {
  RefEntry entry;
  long seen[kFieldCount];
  for (long& line : seen) line = kUnseen;
  if (observer != nullptr) observer->EntryStarted(index, Line(device));
  for (const xmlNode* child = device->children; child != nullptr; child = child->next) {
    size_t field = FieldOf(child);
    if (field == kFieldCount) {
      NoteIgnored(child, device, observer);
      continue;
    }
    entry.*kValueFields[field].member = GetValueAttr(child, "value");
    if (kValueFields[field].member == &RefEntry::bios && entry.bios.empty())
      entry.bios_present = 0;
    if (observer != nullptr) NoteValue(child, field, index, seen, observer);
  }
  if (observer != nullptr && seen[kDeviceIdField] == kUnseen)
    observer->EntryWithoutDeviceId(index, Line(device));
  return entry;
}

// Only a CDATA section as the very first child counts.
void ReadAppPath(const xmlNode* element, std::wstring& field, RefCatalogObserver* observer) {
  const xmlNode* first = element->children;
  if (first != nullptr && first->type == XML_CDATA_SECTION_NODE) field = Bytes(first->content);
  else if (observer != nullptr) observer->PathWithoutCdata(Name(element), Line(element));
}

// Handles a run of sibling nodes below `parent` (null: the document). The
// parser bounds the element depth, so the descent into a nested root
// element is bounded too.
void WalkNodes(const xmlNode* node, const xmlNode* parent, RefCatalog& catalog,
               RefCatalogObserver* observer) {
  for (; node != nullptr; node = node->next) {
    if (observer != nullptr && parent == nullptr && node->type == XML_ELEMENT_NODE &&
        node->name != nullptr)
      observer->TopLevelElement(Name(node), Line(node));
    if (IsElement(node, "tarvix_fchba_reference")) {
      WalkNodes(node->children, node, catalog, observer);
    } else if (IsElement(node, "discovery_app_path")) {
      ReadAppPath(node, catalog.discovery_app_path, observer);
    } else if (IsElement(node, "installer_app_path")) {
      ReadAppPath(node, catalog.installer_app_path, observer);
    } else if (IsElement(node, "devices")) {
      for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (IsElement(child, "device"))
          catalog.entries.push_back(ReadDevice(child, catalog.entries.size(), observer));
        else
          NoteIgnored(child, node, observer);
      }
    } else if (parent != nullptr) {
      NoteIgnored(node, parent, observer);
    }
  }
}

// Hands the parser's messages to the observer while it is installed.
class ParserMessages {
 public:
  explicit ParserMessages(RefCatalogObserver* observer)
      : observer_(observer), saved_handler_(xmlStructuredError),
        saved_context_(xmlStructuredErrorContext) {
    if (observer_ != nullptr) xmlSetStructuredErrorFunc(this, &ParserMessages::Forward);
  }
  ~ParserMessages() {
    if (observer_ != nullptr) xmlSetStructuredErrorFunc(saved_context_, saved_handler_);
  }
  ParserMessages(const ParserMessages&) = delete;
  ParserMessages& operator=(const ParserMessages&) = delete;

 private:
  static void Forward(void* context, xmlErrorPtr error) {
    if (context == nullptr || error == nullptr) return;
    std::string text = error->message != nullptr ? error->message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    RefCatalogObserver::Level level =
        error->level == XML_ERR_WARNING  ? RefCatalogObserver::Level::Warning
        : error->level == XML_ERR_ERROR ? RefCatalogObserver::Level::Error
                                        : RefCatalogObserver::Level::Fatal;
    static_cast<ParserMessages*>(context)->observer_->ParserMessage(level, error->line, text);
  }

  RefCatalogObserver* observer_;
  xmlStructuredErrorFunc saved_handler_;
  void* saved_context_;
};

bool HoldsText(const xmlNode* node) {
  for (; node != nullptr; node = node->next)
    if (node->type == XML_TEXT_NODE && node->content != nullptr && node->content[0] != '\0') return true;
  return false;
}

// The file parsed as the library's file parser does, but a parse the
// library gave up on for want of memory is no document: what it built so
// far would read as a catalogue with entries or values missing.
xmlDocPtr ParseFile(const std::string& path) {
  // Some of its allocations are told only through the last-error record.
  xmlResetLastError();
  xmlParserCtxtPtr context = xmlCreateFileParserCtxt(path.c_str());
  if (context == nullptr) return nullptr;
  if (context->directory == nullptr) context->directory = xmlParserGetDirectory(path.c_str());
  xmlParseDocument(context);
  xmlDocPtr doc = context->myDoc;
  context->myDoc = nullptr;
  const xmlError* last = xmlGetLastError();
  const bool complete = context->wellFormed && context->errNo != XML_ERR_NO_MEMORY &&
                        (last == nullptr || last->code != XML_ERR_NO_MEMORY);
  xmlFreeParserCtxt(context);
  if (!complete && doc != nullptr) {
    xmlFreeDoc(doc);
    doc = nullptr;
  }
  return doc;
}

}  // namespace

std::wstring GetValueAttr(const _xmlNode* element, const char* name) {
  std::wstring value;
  if (element == nullptr || name == nullptr) return value;
  for (const xmlAttr* attr = element->properties; attr != nullptr; attr = attr->next) {
    if (!IsAttr(attr, name)) continue;
    xmlChar* text = xmlNodeListGetString(element->doc, attr->children, 1);
    // Text that gives no text: the library ran out of memory, and an empty
    // version would read as a real one.
    if (text == nullptr && HoldsText(attr->children)) throw std::bad_alloc();
    value = Bytes(text);
    if (text != nullptr) xmlFree(text);
  }
  return value;
}

bool RefCatalog::LoadReferences() { return LoadReferences(FwPaths::kReferenceXml); }

bool RefCatalog::LoadReferences(const std::string& path, RefCatalogObserver* observer) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) {
    if (observer != nullptr) observer->FileUnusable(std::strerror(errno));
    return false;
  }
  // A FIFO or device under the catalogue's name would block or never end.
  if (!S_ISREG(status.st_mode)) {
    if (observer != nullptr) observer->FileUnusable("not a regular file");
    return false;
  }
  xmlInitParser();
  std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> doc(nullptr, xmlFreeDoc);
  {
    ParserMessages messages(observer);
    doc.reset(ParseFile(path));
  }
  if (!doc) return false;
  WalkNodes(doc->children, nullptr, *this, observer);
  doc.reset();
  xmlCleanupParser();
  return true;
}
