#pragma once
// XML helpers of the catalogue loader, kept out of Records.h so that users of
// the records do not see libxml2.
#include <string>

struct _xmlNode;

// The last attribute `name` of `element` as wide text (byte by byte); empty
// when there is none.
std::wstring GetValueAttr(const _xmlNode* element, const char* name);
