// The history as the layer panel and the window title show it.
#pragma once

#include <string>
#include <vector>

class COrinDoc;

// History list rows, newest first: "%3d %4s %13s".
std::vector<std::string> HistoryRows(const COrinDoc& doc);
// Title text after a redo: "REDO : 언두리스트(Top %d)" and " (%d) %s" per position.
std::string RedoTitleText(const COrinDoc& doc);
