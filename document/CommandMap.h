// The menu command map: every entry of the main menu with its id and label exactly
// as the menu shows them. The editor builds its menus from it; the batch tool runs
// commands by id through the same table.
#pragma once

#include <string>
#include <vector>

struct CommandEntry {
    const char* menu;   // "File", "Edit", ... (the editor shows the Korean menu titles)
    int id;             // a CommandId
    const char* label;  // with "&" mnemonics and "\t" shortcut text
    bool groupStart = false;  // a separator goes before it
};

const std::vector<CommandEntry>& MenuCommands();
const CommandEntry* FindCommand(int id);
// The Korean title of a menu of the table.
const char* MenuTitle(const std::string& menu);
// A label without its mnemonic mark and shortcut text: "실행취소(&Z)\tCtrl+Z" -> "실행취소".
std::string MenuText(const CommandEntry& entry);

// Every command id, by the menu it is in. Code names them by these names, never by number.
enum CommandId : int {
    // File
    kCmdNew = 57600, kCmdOpen = 57601, kCmdClose = 57602, kCmdSave = 57603, kCmdSaveAs = 57604,
    kCmdScanSource = 1474, kCmdScanAcquire = 1475, kCmdPrint = 57607, kCmdPrintSetup = 57606,
    kCmdPreferences = 1571, kCmdExit = 57665,
    // Edit
    kCmdUndo = 57643, kCmdRedo = 57644, kCmdCut = 57635, kCmdCopy = 57634, kCmdPaste = 57637, kCmdCutToNew = 1482,
    // Draw, and the tools of the tool bar only
    kCmdWaterDrop = 1354, kCmdBrush = 1347, kCmdLine = 1356, kCmdCircle = 1380, kCmdPolyline = 1357,
    kCmdSpray = 1346, kCmdEraser = 1355, kCmdFill = 1352, kCmdDot = 1350, kCmdColourPick = 2097,
    // Image
    kCmdBrightness = 1450, kCmdColourAdjust = 1503, kCmdHistogram = 2533, kCmdAutoColour = 2076, kCmdInvert = 1413,
    kCmdGreyscale = 1414, kCmdRgbColour = 2093, kCmdBinary = 2113, kCmd8BitColour = 2016,
    // Layer; the layer list's rename entry has no main-menu entry
    kCmdAddLayer = 1552, kCmdDeleteLayer = 1553, kCmdDuplicateLayer = 3500, kCmdFlatten = 1500,
    kCmdMergeAbove = 1557, kCmdMergeBelow = 1555, kCmdLayerEffect = 1558, kCmdRasterize = 1545,
    kCmdRenameLayer = 4041,
    // Select; the colour-range pick is the tool the colour-range command chooses
    kCmdMove = 1570, kCmdRectSelect = 1342, kCmdPolygonSelect = 1345, kCmdFreeSelect = 1343,
    kCmdAutoSelect = 1344, kCmdColourRange = 3327, kCmdColourRangePick = 3344, kCmdInvertSelection = 2055,
    kCmdReleaseSelection = 2058,
    // Transform
    kCmdResize = 1431, kCmdFreeRotate = 1415, kCmdRotate90Cw = 1491, kCmdRotate90Ccw = 1492,
    kCmdRotate180Cw = 1501, kCmdRotate180Ccw = 1502, kCmdFlipVertical = 1411, kCmdFlipHorizontal = 1410,
    kCmdFreeTransform = 3338, kCmdCalendar = 3379, kCmdPhotoFrame = 3392, kCmdGradient = 1353,
    kCmdCanvasSize = 1432, kCmdFaceTransform = 3339, kCmdMirror = 1408, kCmdEllipseTransform = 1406,
    // Filter: each entry selects its effect in the effect list and opens the effect bar
    // (the menu's "강조" selects the edge emphasis); sharpen, lens and bathroom glass have
    // commands without a menu entry
    kCmdBlur = 1453, kCmdSoften = 1454, kCmdBubbles = 1471, kCmdOilPainting = 1472, kCmdSharpen = 1447,
    kCmdEmboss = 1452, kCmdStamp = 1461, kCmdColouredPaper = 1462, kCmdLineColouring = 1463, kCmdLens = 3479,
    kCmdBathroomGlass = 3477, kCmdWatercolour = 1465, kCmdMulberryPaper = 1466, kCmdRaindrops = 1467,
    kCmdDalmatian = 2106, kCmdFrostedGlass = 1468, kCmdNoiseRemoval = 1469, kCmdEmphasis = 1455,
    kCmdEdgeEmphasis = 1470, kCmdRegionExpansion = 1473, kCmdDilate = 1460, kCmdErode = 1457,
    // The commands the effect bar runs: each effect's own id (mostly its menu entry's; the
    // effect "강조" runs as 1455, the outline as 1456) and the binary conversion's sub-modes
    kCmdOutline = 1456, kCmdFsDither = 1435, kCmdOrderedDither = 1436, kCmdThreshold = 1440,
    // View
    kCmdLayerPanel = 1554, kCmdEasyPanel = 1511, kCmdStretch = 1405, kCmdZoomIn = 1420, kCmdZoomOut = 1421,
    kCmdActualSize = 1422, kCmdGrid = 1572,
    // Window, Help, and the capture button of the tool bar
    kCmdDuplicateWindow = 1412, kCmdNewWindow = 57648, kCmdCascade = 57650, kCmdTile = 57651, kCmdCloseAll = 1426,
    kCmdAbout = 57664, kCmdWebSite = 2074, kCmdCapture = 1424,
    // The text tool of the tool bar; the face transform at a clicked point after a first transform
    kCmdText = 1382, kCmdFaceTouch = 3340,
};

// Colour-mode, channel and alpha commands (listed at the end of the Image menu).
enum ColourCommandId : int {
    kCmd4BitOptimal = 2011, kCmd4BitStandard = 2013, kCmdReductionInForce = 1433,
    kCmdRemoveTransparency = 1430, kCmdSetTransparency = 1427, kCmdRemoveAlpha = 1483, kCmdInvertAlpha = 1485,
    kCmdToggleAlphaPalette = 1486, kCmdStripAlpha = 1490,
    kCmdSplitRgb = 1441, kCmdSplitYuv = 1442, kCmdSplitHsl = 1443,
};
