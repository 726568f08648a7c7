// World wide names as text.
#include "hba/WwnText.h"

#include <cstdio>

std::string WwnText(const HBA_WWN& wwn) {
  char text[32];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X:%02X:%02X", wwn.wwn[0], wwn.wwn[1],
                wwn.wwn[2], wwn.wwn[3], wwn.wwn[4], wwn.wwn[5], wwn.wwn[6], wwn.wwn[7]);
  return text;
}
