#pragma once
// World wide names as text: eight bytes in stored order, two upper-case
// hexadecimal digits each, joined by ':'.
#include <string>

#include "hba/HbaApi.h"

std::string WwnText(const HBA_WWN& wwn);
