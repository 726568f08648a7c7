#pragma once
// What the catalogue loader meets on its walk, for a tool that explains a
// catalogue to its author. The loader reads and stores exactly the same with
// or without an observer; it only tells. Lines are the XML parser's.
#include <cstddef>
#include <string>

class RefCatalogObserver {
 public:
  virtual ~RefCatalogObserver() = default;

  enum class Level { Warning, Error, Fatal };

  // The path is no catalogue file: its status cannot be read, or it is not
  // a regular file.
  virtual void FileUnusable(const std::string& /*reason*/) {}
  // A message of the XML parser (with an observer it goes here instead of
  // standard error).
  virtual void ParserMessage(Level /*level*/, long /*line*/, const std::string& /*text*/) {}
  // An element at document level, whether the walk handles it or not.
  virtual void TopLevelElement(const char* /*name*/, long /*line*/) {}
  // An element below the root, `devices` or `device` that the walk skips.
  virtual void IgnoredElement(const char* /*name*/, const char* /*parent*/, long /*line*/) {}
  // An application-path element whose first child is no CDATA section.
  virtual void PathWithoutCdata(const char* /*name*/, long /*line*/) {}
  // A `device` element that becomes entry `index`.
  virtual void EntryStarted(size_t /*index*/, long /*line*/) {}
  // A value element stored into `field` of entry `index`; the two below
  // follow it for the same element.
  virtual void ValueStored(size_t /*index*/, const char* /*field*/, long /*line*/) {}
  // A value element without a `value` attribute (its field becomes empty).
  virtual void ValueWithoutAttribute(size_t /*index*/, const char* /*field*/, long /*line*/) {}
  // A value element given again in the same `device`; the later one wins.
  virtual void ValueRepeated(size_t /*index*/, const char* /*field*/, long /*line*/,
                             long /*earlier_line*/) {}
  // An entry whose `device` element holds no `device_id` element.
  virtual void EntryWithoutDeviceId(size_t /*index*/, long /*line*/) {}
};
