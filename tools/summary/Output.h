#pragma once
// The three forms of a summary: a table for people, CSV and JSON for tools.
#include <string>

#include "tools/summary/Summary.h"

namespace FleetSummary {

// Rows, then "no supported device: HOST" lines, then "error: HOST: REASON"
// lines.
std::string FormatText(const Summary& summary);

// The rows only; the header is always there.
std::string FormatCsv(const Summary& summary);
// The hosts without a supported device and the errors of a CSV run, one line
// each, for standard error.
std::string FormatCsvNotes(const Summary& summary);

// {"rows": [...], "no_device": [...], "errors": [...]}, one line.
std::string FormatJson(const Summary& summary);

// Exposed for the tests.
std::string CsvField(const std::string& text);
std::string JsonString(const std::string& text);

}  // namespace FleetSummary
