// The history as the layer panel and the window title show it.
#pragma once

#include <string>
#include <vector>

class COrinDoc;

// History list rows, newest first: "%3d %4s %13s".
std::vector<std::string> HistoryRows(const COrinDoc& doc);
// Rows of the steps that redo would bring back, newest first: "%3d " and the label,
// from position min(top, 11) down to the one after the present position.
std::vector<std::string> RedoRows(const COrinDoc& doc);
// Title text after a redo: "REDO : 언두리스트(Top %d)" and " (%d) %s" per position.
std::string RedoTitleText(const COrinDoc& doc);
