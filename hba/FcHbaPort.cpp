// One port of an adapter: attributes, counters and their texts.
#include "hba/FcHbaPort.h"

#include <cstring>

#include "hba/AttributeText.h"
#include "hba/WwnText.h"

FcHbaPort::FcHbaPort()
    : port_wwn{},
      port_fc_id(0),
      port_type(HBA_PORTTYPE_UNKNOWN),
      port_state(HBA_PORTSTATE_UNKNOWN),
      port_symbolic_name("Undefined"),
      os_device_name("Undefined"),
      port_supported_speed(0),
      port_speed(0),
      port_max_frame_size(0),
      fabric_name{},
      port_index(0),
      active_fc4_types{},
      supported_fc4_types{},
      statistics{} {}

void FcHbaPort::SetAttributes(const HBA_PORTATTRIBUTES& attributes, uint32_t index) {
  port_wwn = attributes.PortWWN;
  port_fc_id = attributes.PortFcId;
  port_type = attributes.PortType;
  port_state = attributes.PortState;
  port_symbolic_name = FieldText(attributes.PortSymbolicName);
  os_device_name = FieldText(attributes.OSDeviceName);
  port_supported_speed = attributes.PortSupportedSpeed;
  port_speed = attributes.PortSpeed;
  port_max_frame_size = attributes.PortMaxFrameSize;
  fabric_name = attributes.FabricName;
  active_fc4_types = attributes.PortActiveFc4Types;
  supported_fc4_types = attributes.PortSupportedFc4Types;
  port_index = index;
}

void FcHbaPort::SetStatistics(const HBA_PORTSTATISTICS& record) {
  const int64_t values[kPortCounterCount] = {
      record.SecondsSinceLastReset, record.TxFrames,          record.TxWords,
      record.RxFrames,              record.RxWords,           record.LIPCount,
      record.NOSCount,              record.ErrorFrames,       record.DumpedFrames,
      record.LinkFailureCount,      record.LossOfSyncCount,   record.LossOfSignalCount,
      record.PrimitiveSeqProtocolErrCount, record.InvalidTxWordCount, record.InvalidCRCCount};
  for (int i = 0; i < kPortCounterCount; ++i)
    if (values[i] != -1) statistics[i] = values[i];
}

std::string FcHbaPort::GetPortWwnText() const { return WwnText(port_wwn); }

std::string FcHbaPort::GetFabricNameText() const { return WwnText(fabric_name); }

std::string FcHbaPort::GetSpeedText(uint32_t speed) {
  static const struct {
    uint32_t bit;
    const char* text;
  } kSpeeds[] = {{0x8000, "Not Negotiated"}, {0x20, "16 GB"}, {0x4, "10 GB"}, {0x10, "8 GB"},
                 {0x8, "4 GB"},              {0x2, "2 GB"},   {0x1, "1 GB"}};
  for (const auto& speed_text : kSpeeds)
    if ((speed & speed_text.bit) != 0) return speed_text.text;
  return "Unknown";
}

std::string FcHbaPort::GetStateText() const {
  switch (port_state) {
    case HBA_PORTSTATE_ONLINE: return "Online";
    case HBA_PORTSTATE_OFFLINE: return "Offline";
    case HBA_PORTSTATE_BYPASSED: return "Bypassed";
    case HBA_PORTSTATE_DIAGNOSTICS: return "Diagnostics Mode";
    case HBA_PORTSTATE_LINKDOWN: return "Link Down";
    case HBA_PORTSTATE_ERROR: return "Error";
    case HBA_PORTSTATE_LOOPBACK: return "Loopback";
    default: return "Unknown";
  }
}

std::string FcHbaPort::GetTypeText() const {
  switch (port_type) {
    case HBA_PORTTYPE_OTHER: return "Other";
    case HBA_PORTTYPE_NOTPRESENT: return "Not Present";
    case HBA_PORTTYPE_NPORT: return "Fabric";
    case HBA_PORTTYPE_NLPORT: return "Public Loop";
    case HBA_PORTTYPE_FLPORT: return "FL Port";
    case HBA_PORTTYPE_FPORT: return "Fabric Port";
    case HBA_PORTTYPE_EPORT: return "Fabric expansion port";
    case HBA_PORTTYPE_GPORT: return "Generic Fabric Port";
    case HBA_PORTTYPE_LPORT: return "Private Loop";
    case HBA_PORTTYPE_PTP: return "Point to Point";
    default: return "Unknown";
  }
}

int64_t FcHbaPort::GetStatistic(int index) const {
  return index >= 0 && index < kPortCounterCount ? statistics[index] : 0;
}
