// The menu command map: every entry of the main menu with its id and label exactly
// as the menu shows them. The editor builds its menus from it; the batch tool runs
// commands by id through the same table.
#pragma once

#include <string>
#include <vector>

struct CommandEntry {
    const char* menu;   // "File", "Edit", ... (the editor shows the Korean menu titles)
    int id;
    const char* label;  // with "&" mnemonics and "\t" shortcut text
};

const std::vector<CommandEntry>& MenuCommands();
const CommandEntry* FindCommand(int id);
// The Korean title of a menu of the table.
const char* MenuTitle(const std::string& menu);

// Command ids used by the core.
enum CommandId : int {
    kCmdNew = 57600, kCmdOpen = 57601, kCmdClose = 57602, kCmdSave = 57603, kCmdSaveAs = 57604,
    kCmdPrint = 57607, kCmdPrintSetup = 57606, kCmdExit = 57665,
    kCmdUndo = 57643, kCmdRedo = 57644, kCmdCut = 57635, kCmdCopy = 57634, kCmdPaste = 57637,
    kCmdCutToNew = 1482,
    kCmdAddLayer = 1552, kCmdDeleteLayer = 1553, kCmdDuplicateLayer = 3500, kCmdFlatten = 1500,
    kCmdMergeAbove = 1557, kCmdMergeBelow = 1555, kCmdLayerEffect = 1558, kCmdRasterize = 1545,
    kCmdMove = 1570, kCmdRectSelect = 1342, kCmdPolygonSelect = 1345, kCmdFreeSelect = 1343,
    kCmdAutoSelect = 1344, kCmdColourRange = 3327, kCmdInvertSelection = 2055, kCmdReleaseSelection = 2058,
    kCmdInvert = 1413,
    kCmdResize = 1431, kCmdFreeRotate = 1415, kCmdRotate90Cw = 1491, kCmdRotate90Ccw = 1492,
    kCmdRotate180Cw = 1501, kCmdRotate180Ccw = 1502, kCmdFlipVertical = 1411, kCmdFlipHorizontal = 1410,
    kCmdFreeTransform = 3338, kCmdCanvasSize = 1432, kCmdMirror = 1408, kCmdEllipseTransform = 1406,
    kCmdWaterDrop = 1354, kCmdBrush = 1347, kCmdLine = 1356, kCmdCircle = 1380, kCmdPolyline = 1357,
    kCmdSpray = 1346, kCmdEraser = 1355, kCmdFill = 1352, kCmdDot = 1350, kCmdColourPick = 2097,
    kCmdGradient = 1353, kCmdColourRangePick = 3344,
    kCmdZoomIn = 1420, kCmdZoomOut = 1421, kCmdActualSize = 1422, kCmdStretch = 1405, kCmdGrid = 1572,
    kCmdLayerPanel = 1554, kCmdEasyPanel = 1511,
    kCmdDuplicateWindow = 1412, kCmdNewWindow = 57648, kCmdCascade = 57650, kCmdTile = 57651, kCmdCloseAll = 1426,
    kCmdAbout = 57664, kCmdWebSite = 2074, kCmdCapture = 1424, kCmdPreferences = 1571,
    kCmdRenameLayer = 4041,  // the layer list's rename entry (no main-menu entry)
};
