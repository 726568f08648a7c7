#pragma once
// One adapter as the vendor HBA API libraries report it, with its ports and
// the PCI values the vendor extension adds.
#include <pthread.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hba/FcHbaPort.h"
#include "hba/HbaApi.h"

class FcHbaAdapter {
 public:
  FcHbaAdapter();
  // Releases every vendor library first, not only this adapter's.
  virtual ~FcHbaAdapter();
  FcHbaAdapter(const FcHbaAdapter&) = delete;
  FcHbaAdapter& operator=(const FcHbaAdapter&) = delete;

  void SetNameRow(uint32_t row) { name_row = row; }

  // Reads name, attributes and ports through the registry: 0 when all was
  // read, 1 when any step failed (what was read is kept).
  HBA_STATUS Refresh();
  // Adds the PCI subsystem value and location from the vendor extension;
  // whatever fails leaves them as they were.
  void ReadExtendedAttributes();

  std::string GetNodeWwnText() const;

  uint32_t GetNameRow() const { return name_row; }
  const std::vector<FcHbaPort>& GetPorts() const { return ports; }
  const std::string& GetAdapterName() const { return adapter_name; }
  const std::string& GetManufacturer() const { return manufacturer; }
  const std::string& GetSerialNumber() const { return serial_number; }
  const std::string& GetModelName() const { return model_name; }
  const std::string& GetModelDescription() const { return model_description; }
  const HBA_WWN& GetNodeWwn() const { return node_wwn; }
  const std::string& GetNodeSymbolicName() const { return node_symbolic_name; }
  const std::string& GetHardwareVersion() const { return hardware_version; }
  const std::string& GetDriverVersion() const { return driver_version; }
  const std::string& GetOptionRomVersion() const { return option_rom_version; }
  const std::string& GetFirmwareVersion() const { return firmware_version; }
  uint32_t GetNumberOfPorts() const { return number_of_ports; }
  const std::string& GetDriverName() const { return driver_name; }
  uint32_t GetPciSubsystem() const { return pci_subsystem; }
  uint8_t GetPciBus() const { return pci_bus; }
  uint8_t GetPciFunction() const { return pci_function; }
  uint8_t GetPciDomain() const { return pci_domain; }

 private:
  void CopyAttributes(const HBA_ADAPTERATTRIBUTES& attributes);

  uint32_t name_row;
  std::vector<FcHbaPort> ports;
  std::string adapter_name;
  std::string manufacturer;
  std::string serial_number;
  std::string model_name;
  std::string model_description;
  HBA_WWN node_wwn;
  std::string node_symbolic_name;
  std::string hardware_version;
  std::string driver_version;
  std::string option_rom_version;
  std::string firmware_version;
  uint32_t number_of_ports;
  std::string driver_name;
  uint32_t pci_subsystem;
  uint8_t pci_bus;
  uint8_t pci_function;
  uint8_t pci_domain;
  pthread_mutex_t refresh_lock;
};
