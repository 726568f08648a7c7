#pragma once
// One port of an adapter: its attributes and counters, as a value.
#include <cstdint>
#include <string>

#include "hba/HbaApi.h"

inline constexpr int kPortCounterCount = 15;

class FcHbaPort {
 public:
  FcHbaPort();
  virtual ~FcHbaPort() = default;
  FcHbaPort(const FcHbaPort&) = default;
  FcHbaPort& operator=(const FcHbaPort&) = default;

  void SetAttributes(const HBA_PORTATTRIBUTES& attributes, uint32_t port_index);
  // A counter of -1 (not available) leaves the port's value as it was.
  void SetStatistics(const HBA_PORTSTATISTICS& statistics);

  std::string GetPortWwnText() const;
  std::string GetFabricNameText() const;
  // Text of the highest-ranked speed bit that is set.
  static std::string GetSpeedText(uint32_t speed);
  std::string GetStateText() const;
  std::string GetTypeText() const;

  const HBA_WWN& GetPortWwn() const { return port_wwn; }
  uint32_t GetPortFcId() const { return port_fc_id; }
  uint32_t GetPortType() const { return port_type; }
  uint32_t GetPortState() const { return port_state; }
  const std::string& GetPortSymbolicName() const { return port_symbolic_name; }
  const std::string& GetOsDeviceName() const { return os_device_name; }
  uint32_t GetPortSupportedSpeed() const { return port_supported_speed; }
  uint32_t GetPortSpeed() const { return port_speed; }
  uint32_t GetPortMaxFrameSize() const { return port_max_frame_size; }
  const HBA_WWN& GetFabricName() const { return fabric_name; }
  uint32_t GetPortIndex() const { return port_index; }
  const HBA_FC4TYPES& GetActiveFc4Types() const { return active_fc4_types; }
  const HBA_FC4TYPES& GetSupportedFc4Types() const { return supported_fc4_types; }
  // Counters in record order; index 0 to 14, anything else reads 0.
  int64_t GetStatistic(int index) const;

 private:
  HBA_WWN port_wwn;
  uint32_t port_fc_id;
  uint32_t port_type;
  uint32_t port_state;
  std::string port_symbolic_name;
  std::string os_device_name;
  uint32_t port_supported_speed;
  uint32_t port_speed;
  uint32_t port_max_frame_size;
  HBA_WWN fabric_name;
  uint32_t port_index;
  HBA_FC4TYPES active_fc4_types;
  HBA_FC4TYPES supported_fc4_types;
  int64_t statistics[kPortCounterCount];
};
