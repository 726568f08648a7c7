#include "tools/summary/Output.h"

#include <algorithm>
#include <cstdio>

namespace FleetSummary {

namespace {

// Host names come from file names: a control character must not break a
// line of the table.
std::string Printable(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string JoinHosts(const std::vector<std::string>& hosts, std::string (*convert)(const std::string&)) {
  std::string out;
  for (const std::string& host : hosts) {
    if (!out.empty()) out += ' ';
    out += convert(host);
  }
  return out;
}

std::string Same(const std::string& text) { return text; }

void Pad(std::string& out, const std::string& cell, std::size_t width, bool right) {
  std::string fill(width > cell.size() ? width - cell.size() : 0, ' ');
  out += right ? fill + cell : cell + fill;
}

// Length of the valid UTF-8 sequence at text[i], 0 when there is none.
std::size_t Utf8Length(const std::string& text, std::size_t i) {
  unsigned char c = static_cast<unsigned char>(text[i]);
  std::size_t length;
  unsigned int cp;
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0) { length = 2; cp = c & 0x1F; }
  else if ((c & 0xF0) == 0xE0) { length = 3; cp = c & 0x0F; }
  else if ((c & 0xF8) == 0xF0) { length = 4; cp = c & 0x07; }
  else return 0;
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    unsigned char d = static_cast<unsigned char>(text[i + k]);
    if ((d & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (d & 0x3F);
  }
  static const unsigned int kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

// The lines after the table: hosts without a supported device, then the
// reports not read, each line begun with `prefix`.
std::string Notes(const Summary& summary, const char* prefix) {
  std::string out;
  for (const std::string& host : summary.NoDeviceHosts())
    out += std::string(prefix) + "no supported device: " + Printable(host) + "\n";
  for (const ReportError& error : summary.Errors())
    out += std::string(prefix) + "error: " + Printable(error.host) + ": " + Printable(error.reason) + "\n";
  return out;
}

}  // namespace

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

// Bytes that are not UTF-8 (possible in file names) become U+FFFD, so the
// output is always valid JSON.
std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t length = Utf8Length(text, i);
    if (length == 0) {
      out += "\\ufffd";
      ++i;
      continue;
    }
    if (length > 1) {
      out.append(text, i, length);
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
    i += length;
  }
  out += '"';
  return out;
}

std::string FormatText(const Summary& summary) {
  std::vector<Row> rows = summary.SortedRows();
  static const char* const kHeader[] = {"product", "device_id", "item",      "version",
                                        "upgrade", "rewrite",   "downgrade", "hosts_to_upgrade"};
  std::vector<std::vector<std::string>> cells;
  cells.reserve(rows.size());
  for (const Row& row : rows) {
    cells.push_back({Printable(row.key.product), Printable(row.key.device_id), Printable(row.key.item),
                     Printable(row.key.version), std::to_string(row.upgrade), std::to_string(row.rewrite),
                     std::to_string(row.downgrade), JoinHosts(row.hosts_to_upgrade, Printable)});
  }
  std::size_t widths[7];
  for (std::size_t c = 0; c < 7; ++c) {
    widths[c] = std::string(kHeader[c]).size();
    for (const auto& line : cells) widths[c] = std::max(widths[c], line[c].size());
  }
  std::string out;
  auto emit = [&](const std::vector<std::string>& line) {
    std::string text;
    for (std::size_t c = 0; c < 7; ++c) {
      Pad(text, line[c], widths[c], c >= 4);
      text += "  ";
    }
    text += line[7];
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out += text;
    out += '\n';
  };
  emit(std::vector<std::string>(std::begin(kHeader), std::end(kHeader)));
  for (const auto& line : cells) emit(line);
  return out + Notes(summary, "");
}

std::string FormatCsv(const Summary& summary) {
  std::string out = "product,device_id,item,version,upgrade,rewrite,downgrade,hosts_to_upgrade\n";
  for (const Row& row : summary.SortedRows()) {
    out += CsvField(row.key.product) + ',' + CsvField(row.key.device_id) + ',' + CsvField(row.key.item) + ',' +
           CsvField(row.key.version) + ',' + std::to_string(row.upgrade) + ',' + std::to_string(row.rewrite) +
           ',' + std::to_string(row.downgrade) + ',' + CsvField(JoinHosts(row.hosts_to_upgrade, Same)) + '\n';
  }
  return out;
}

std::string FormatCsvNotes(const Summary& summary) { return Notes(summary, "fwpack-summary: "); }

std::string FormatJson(const Summary& summary) {
  std::string out = "{\"rows\": [";
  bool first = true;
  for (const Row& row : summary.SortedRows()) {
    if (!first) out += ", ";
    first = false;
    out += "{\"product\": " + JsonString(row.key.product) + ", \"device_id\": " + JsonString(row.key.device_id) +
           ", \"item\": " + JsonString(row.key.item) + ", \"version\": " + JsonString(row.key.version) +
           ", \"upgrade\": " + std::to_string(row.upgrade) + ", \"rewrite\": " + std::to_string(row.rewrite) +
           ", \"downgrade\": " + std::to_string(row.downgrade) + ", \"hosts_to_upgrade\": [";
    for (std::size_t i = 0; i < row.hosts_to_upgrade.size(); ++i)
      out += (i ? ", " : "") + JsonString(row.hosts_to_upgrade[i]);
    out += "]}";
  }
  out += "], \"no_device\": [";
  std::vector<std::string> no_device = summary.NoDeviceHosts();
  for (std::size_t i = 0; i < no_device.size(); ++i) out += (i ? ", " : "") + JsonString(no_device[i]);
  out += "], \"errors\": [";
  const std::vector<ReportError>& errors = summary.Errors();
  for (std::size_t i = 0; i < errors.size(); ++i)
    out += std::string(i ? ", " : "") + "{\"host\": " + JsonString(errors[i].host) +
           ", \"reason\": " + JsonString(errors[i].reason) + "}";
  out += "]}\n";
  return out;
}

}  // namespace FleetSummary

