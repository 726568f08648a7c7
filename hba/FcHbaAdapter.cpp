// One adapter: its attributes and ports read through the registry, and its
// refresh under the adapter's own mutex.
#include "hba/FcHbaAdapter.h"

#include <cstring>

#include "hba/AttributeText.h"
#include "hba/HbaRegistry.h"
#include "hba/WwnText.h"

FcHbaAdapter::FcHbaAdapter()
    : name_row(0),
      adapter_name("Undefined"),
      manufacturer("Undefined"),
      serial_number("Undefined"),
      model_name("Undefined"),
      model_description("Undefined"),
      node_wwn{},
      node_symbolic_name("Undefined"),
      hardware_version("Undefined"),
      driver_version("Undefined"),
      option_rom_version("Undefined"),
      firmware_version("Undefined"),
      number_of_ports(0),
      driver_name("Undefined"),
      pci_subsystem(0),
      pci_bus(0),
      pci_function(0),
      pci_domain(0) {
  pthread_mutex_init(&refresh_lock, nullptr);
}

FcHbaAdapter::~FcHbaAdapter() {
  HbaReleaseLibraries();
  pthread_mutex_destroy(&refresh_lock);
}

namespace {

constexpr uint32_t kMaxPortsRead = 256;

// Holds the adapter's lock for one refresh, whichever way it ends.
class RefreshGuard {
 public:
  explicit RefreshGuard(pthread_mutex_t& lock) : lock_(lock) { pthread_mutex_lock(&lock_); }
  ~RefreshGuard() { pthread_mutex_unlock(&lock_); }
  RefreshGuard(const RefreshGuard&) = delete;
  RefreshGuard& operator=(const RefreshGuard&) = delete;

 private:
  pthread_mutex_t& lock_;
};

}  // namespace

HBA_STATUS FcHbaAdapter::Refresh() {
  RefreshGuard guard(refresh_lock);

  char name[256] = {};
  if (HbaGetAdapterName(name_row, name) != HBA_STATUS_OK) return HBA_STATUS_ERROR;
  adapter_name = name;

  const HBA_HANDLE handle = HbaOpenAdapterByName(adapter_name.c_str());
  if (handle == 0) return HBA_STATUS_ERROR;

  HBA_ADAPTERATTRIBUTES attributes;
  std::memset(&attributes, 0, sizeof attributes);
  if (HbaGetAdapterAttributes(handle, &attributes) != HBA_STATUS_OK) {
    HbaCloseAdapter(handle);
    return HBA_STATUS_ERROR;
  }

  ports.clear();
  CopyAttributes(attributes);

  HBA_STATUS result = HBA_STATUS_OK;
  // A port count no adapter has must not keep the refresh busy for hours;
  // the ports past the bound count as not read.
  uint32_t ports_to_read = number_of_ports;
  if (ports_to_read > kMaxPortsRead) {
    ports_to_read = kMaxPortsRead;
    result = HBA_STATUS_ERROR;
  }
  for (uint32_t index = 0; index < ports_to_read; ++index) {
    HBA_PORTATTRIBUTES port_attributes;
    std::memset(&port_attributes, 0, sizeof port_attributes);
    if (HbaGetAdapterPortAttributes(handle, index, &port_attributes) != HBA_STATUS_OK) {
      result = HBA_STATUS_ERROR;
      continue;
    }
    FcHbaPort port;
    port.SetAttributes(port_attributes, index);
    HBA_PORTSTATISTICS statistics;
    std::memset(&statistics, 0, sizeof statistics);
    if (HbaGetPortStatistics(handle, index, &statistics) != HBA_STATUS_OK)
      result = HBA_STATUS_ERROR;
    else
      port.SetStatistics(statistics);
    ports.push_back(port);
  }

  HbaCloseAdapter(handle);
  return result;
}

void FcHbaAdapter::CopyAttributes(const HBA_ADAPTERATTRIBUTES& attributes) {
  manufacturer = CleanFieldText(attributes.Manufacturer);
  serial_number = CleanFieldText(attributes.SerialNumber);
  model_name = FieldText(attributes.Model);
  model_description = CleanFieldText(attributes.ModelDescription);
  node_wwn = attributes.NodeWWN;
  node_symbolic_name = FieldText(attributes.NodeSymbolicName);
  hardware_version = CleanFieldText(attributes.HardwareVersion);
  driver_version = FieldText(attributes.DriverVersion);
  option_rom_version = CleanFieldText(attributes.OptionROMVersion);
  firmware_version = CleanFieldText(attributes.FirmwareVersion);
  number_of_ports = attributes.NumberOfPorts;
  driver_name = FieldText(attributes.DriverName);
  pci_subsystem = attributes.VendorSpecificID;
}

std::string FcHbaAdapter::GetNodeWwnText() const { return WwnText(node_wwn); }
