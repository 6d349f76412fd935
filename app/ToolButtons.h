// How the tool bar shows the tools: an icon of the program's own SVG set (drawn from
// the SVG at whatever size and screen scale is asked, so it stays crisp), a one-key
// shortcut, and a tooltip naming the tool and its key.
#pragma once

#include <QIcon>
#include <QKeySequence>
#include <QString>

struct Tool;

// The icon of `tool` (":/tools/<batch key>.svg"); a null icon for a tool without one.
QIcon ToolIcon(const Tool& tool);
// The tool's one-key shortcut; empty for a tool without one.
QKeySequence ToolShortcut(int id);
// "붓 그리기 (B)": the tool's name and its key.
QString ToolTipText(const QString& name, const QKeySequence& key);

// A tool button's place as the settings file keeps the last tool: its 1-based number in
// its tool-bar group and the group (0 the selection tools, 1 the painting tools).
struct ToolPlace {
    int number;
    int group;
    bool operator==(const ToolPlace&) const = default;
};
// The place of tool `id`; {0, 0} for a tool without a button.
ToolPlace ToolBarPlace(int id);
// The tool at a stored place: the group's first tool for a number past its end (a file
// written by another version); any group but 1 is the selection group.
int ToolAtPlace(int number, int group);
