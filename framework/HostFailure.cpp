// The run's record of a failed system call during discovery.
#include "framework/HostFailure.h"

#include <cstring>

namespace HostFailure {

namespace {

struct Record {
  bool failed = false;
  std::string what;
  int error = 0;
};

Record& TheRecord() {
  static Record record;
  return record;
}

}  // namespace

void Note(const std::string& what, int error) {
  Record& record = TheRecord();
  if (record.failed) return;
  record.failed = true;
  record.what = what;
  record.error = error;
}

bool Any() { return TheRecord().failed; }

std::string Describe() {
  const Record& record = TheRecord();
  return record.what + " (" + std::strerror(record.error) + ")";
}

void Clear() { TheRecord() = Record(); }

}  // namespace HostFailure
