#pragma once
// The inventory tests' host: copies of the simulated vendor library set up
// as each test needs (FakeLibrary), configuration files and the libraries'
// calls, in a private directory. Extension searches are pointed into it, so
// no test looks at the machine's own library directories.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "hba/HbaRegistry.h"
#include "hba/VendorExtension.h"
#include "tests/common/FakeHbaHost.h"

// What one installed copy serves, in the manner of a vendor library:
// adapters NAME-0, NAME-1 ... with node WWN HH:00:00:E0:8B:01:02:03 (the last
// byte counting up), ports whose WWN is the node's with 21:PP in front, and
// through the extension set the PCI location bus 5 + index, function 1,
// subsystem 1077/0100 + index. Handles carry junk (0xAB) above 16 bits.
class FakeLibrary {
 public:
  explicit FakeLibrary(std::string name) : name_(std::move(name)) { knobs_["handle_high"] = 0xAB; }

  FakeLibrary& Adapters(int count) { return Assign(adapters_, count); }
  FakeLibrary& Ports(int count) { return Assign(ports_, count); }
  FakeLibrary& WwnHigh(int byte) { return Assign(wwn_high_, byte); }
  // The built variant, as a scenario names it ("no_extension" ...).
  FakeLibrary& Variant(const std::string& variant) { return Knob("variant", variant); }
  // Extension-only adapters listed before the library's own, with other
  // node WWNs (second byte EE) and domain 9.
  FakeLibrary& Decoys(int count) { return Assign(decoys_, count); }
  // A library knob (see sim/README.md).
  FakeLibrary& Knob(const std::string& key, nlohmann::json value) {
    knobs_[key] = std::move(value);
    return *this;
  }
  // An HBA API entry the library leaves out of its table.
  FakeLibrary& Omit(const std::string& entry) {
    knobs_["omit_entry_points"].push_back(entry);
    return *this;
  }
  // A value at a JSON pointer ("/fail/attributes", "/ports/1/speed") in every
  // adapter's record, or in the record of one of the library's adapters.
  FakeLibrary& Set(const std::string& pointer, nlohmann::json value) { return Set(-1, pointer, std::move(value)); }
  FakeLibrary& Set(int adapter, const std::string& pointer, nlohmann::json value) {
    edits_.push_back({adapter, pointer, std::move(value)});
    return *this;
  }

  std::string variant() const { return knobs_.value("variant", ""); }
  const nlohmann::json& knobs() const { return knobs_; }

  // The host state's adapter records for this library installed at PATH.
  std::vector<nlohmann::json> Records(const std::string& path) const {
    std::vector<nlohmann::json> records;
    for (int decoy = 0; decoy < decoys_; ++decoy) {
      nlohmann::json record = Adapter(decoy, decoy);
      record["name"] = "decoy-" + std::to_string(decoy);
      record["node_wwn"] = Wwn(wwn_high_, 0xEE, decoy);
      record["pci"]["domain"] = 9;
      record["extension_libraries"] = {path};
      records.push_back(record);
    }
    for (int index = 0; index < adapters_; ++index) {
      nlohmann::json record = Adapter(index, decoys_ + index);
      record["library"] = path;
      for (const Edit& edit : edits_)
        if (edit.adapter < 0 || edit.adapter == index) record[nlohmann::json::json_pointer(edit.pointer)] = edit.value;
      records.push_back(record);
    }
    return records;
  }

 private:
  struct Edit {
    int adapter;
    std::string pointer;
    nlohmann::json value;
  };

  template <class T, class V>
  FakeLibrary& Assign(T& field, V&& value) {
    field = std::forward<V>(value);
    return *this;
  }

  static std::string Wwn(int first, int second, int index) {
    char text[24];
    std::snprintf(text, sizeof text, "%02X:%02X:00:E0:8B:01:02:%02X", first & 0xFF, second & 0xFF,
                  (0x03 + index) & 0xFF);
    return text;
  }

  // Adapter INDEX of the library, EXTENSION_INDEX in its extension list.
  nlohmann::json Adapter(int index, int extension_index) const {
    const std::string number = std::to_string(index);
    nlohmann::json ports = nlohmann::json::array();
    for (int port = 0; port < ports_; ++port) {
      nlohmann::json statistics = nlohmann::json::array();
      for (int counter = 0; counter < 15; ++counter) statistics.push_back(100 + counter);
      statistics[5] = -1;  // LIPCount: not available
      ports.push_back({{"wwn", Wwn(0x21, port, index)},
                       {"fc_id", 0x010200 + port},
                       {"type", 5},
                       {"state", 2},
                       {"supported_fc4_types", {0, 0, 1}},
                       {"active_fc4_types", {0, 0, 0, 1}},
                       {"symbolic_name", "port " + std::to_string(port)},
                       {"os_device_name", std::string(256, 'D')},
                       {"supported_speed", 0x1a},
                       {"speed", 0x10},
                       {"max_frame_size", 2048},
                       {"fabric_name", "10:00:00:00:00:00:00:FF"},
                       {"statistics", statistics}});
    }
    char subsystem[8];
    std::snprintf(subsystem, sizeof subsystem, "%04x", 0x0100 + index);
    return {{"name", name_ + "-" + number},
            {"node_wwn", Wwn(wwn_high_, 0x00, index)},
            {"attributes",
             {{"manufacturer", "Maker   Corp  "},
              {"serial_number", std::string(64, 'S')},
              {"model", "Model " + number + " "},
              {"model_description", "Dual  port\t adapter\r\n"},
              {"node_symbolic_name", "node " + number + " "},
              {"hardware_version", "HW1~"},
              {"driver_version", "8.03.07 "},
              {"option_rom_version", "2.02 \n"},
              {"firmware_version", "5.06.0" + number},
              {"vendor_specific_id", 0x56781abc},
              {"driver_name", "drv"}}},
            // Filled to the last byte, without a terminator.
            {"unterminated_texts", {"serial_number", "os_device_name"}},
            {"ports", ports},
            {"pci",
             {{"domain", 0},
              {"bus", 5 + index},
              {"function", 1},
              {"subsystem_vendor_id", "1077"},
              {"subsystem_device_id", subsystem}}},
            {"extension", {{"name", "ext-" + std::to_string(extension_index)}}}};
  }

  std::string name_;
  int adapters_ = 2;
  int ports_ = 2;
  int wwn_high_ = 0x20;
  int decoys_ = 0;
  nlohmann::json knobs_ = nlohmann::json::object();
  std::vector<Edit> edits_;
};

class HbaSandbox {
 public:
  HbaSandbox() {
    for (ExtensionVendor vendor : {ExtensionVendor::QLogic, ExtensionVendor::Emulex, ExtensionVendor::Brocade})
      SetExtensionLibraryFiles(vendor, {host_.Path("none1.so"), host_.Path("none2.so"), host_.Path("none3.so")});
  }
  ~HbaSandbox() {
    HbaReleaseLibraries();
    ResetExtensionLibraryFiles();
  }
  HbaSandbox(const HbaSandbox&) = delete;
  HbaSandbox& operator=(const HbaSandbox&) = delete;

  bool Ready() const { return host_.Ready(); }
  const std::string& Dir() const { return host_.Dir(); }

  // Installs a copy of the library as NAME in the directory, serving what
  // LIBRARY describes; its path.
  std::string Library(const std::string& name, const FakeLibrary& library) {
    const std::string path = host_.Install(name, library.variant());
    nlohmann::json& state = host_.State();
    for (nlohmann::json& record : library.Records(path)) state["adapters"].push_back(std::move(record));
    state["libraries"][path] = library.knobs();
    if (!host_.Save()) ADD_FAILURE() << "cannot write the host state";
    return path;
  }

  std::string Write(const std::string& name, const std::string& content) const {
    const std::string path = host_.Path(name);
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  std::string Conf(const std::string& content) const { return Write("hba.conf", content); }

  // The libraries' calls: "FILE CALL [DETAIL]", e.g. "a.so HBA_CloseAdapter 257".
  std::vector<std::string> Trace() const { return host_.Calls(); }
  void ClearTrace() const { host_.ClearCalls(); }

 private:
  fwtest::FakeHbaHost host_;
};

// The most used libraries: a QLogic-like one with two adapters and two
// ports each, a second with three adapters, and ones whose answers fail.
inline FakeLibrary QLogicLibrary() { return FakeLibrary("qlogic-a"); }
inline FakeLibrary SecondLibrary() { return FakeLibrary("second-b").Adapters(3).WwnHigh(0x30); }
// Three adapters and three ports: adapter 1's name, port 1's attributes and
// port 2's counters fail.
inline FakeLibrary EdgeLibrary() {
  return FakeLibrary("edge-c")
      .Adapters(3)
      .Ports(3)
      .Knob("get_name_fails", {1})
      .Set("/ports/1/attributes_status", HBA_STATUS_ERROR)
      .Set("/ports/2/statistics_status", HBA_STATUS_ERROR);
}
inline FakeLibrary NoOpenLibrary() { return FakeLibrary("noopen").Omit("HBA_OpenAdapter"); }
inline FakeLibrary AttributesFailLibrary() {
  return FakeLibrary("attrfail").Adapters(1).Set("/fail/attributes", HBA_STATUS_ERROR);
}
inline FakeLibrary NoPortsLibrary() { return FakeLibrary("qlogic-p").Adapters(1).Ports(0); }

// "FILE CALL DETAIL" as the libraries record it; a handle in decimal.
inline std::string Call(const std::string& file, const std::string& call, const std::string& detail = "") {
  return file + " " + call + (detail.empty() ? "" : " " + detail);
}
inline std::string Call(const std::string& file, const std::string& call, unsigned handle) {
  return Call(file, call, std::to_string(handle));
}

inline int CountReadySlots() {
  int ready = 0;
  for (uint32_t slot = 0; slot < kHbaLibrarySlots; ++slot)
    if (HbaGetLibrarySlot(slot)->slot_state == HBA_SLOT_READY) ++ready;
  return ready;
}

inline std::string RowName(uint32_t row) {
  char name[64] = {};
  if (HbaGetAdapterName(row, name) != HBA_STATUS_OK) return "<none>";
  return name;
}

inline int CountLines(const std::vector<std::string>& lines, const std::string& line) {
  int count = 0;
  for (const std::string& each : lines)
    if (each == line) ++count;
  return count;
}
