#pragma once
// The debug print of a node graph (narrow variant): one line per node, the
// inner chains of alternatives, repetitions and look-aheads indented.
#include "pattern/NodeBase.h"

// Prints n and everything that follows it on stdout, at the given indent.
void dumpNodes(const NFANodeT<char>* n, int indent);
