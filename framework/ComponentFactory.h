#pragma once
// The component an executable runs. The framework only declares the factory;
// each executable links exactly one definition (components/<vendor>/
// <Vendor>Factory.cpp), kept out of the component libraries so that one
// program may link all three of them.
#include <memory>

#include "framework/CBaseCmp.h"

std::unique_ptr<CBaseCmp> CreateComponent();
